// The statistics files' key search. Input: one byte choosing the file kind,
// the key text (as wide as the kind's key member), then the file's bytes.
#include "expansion/stats/stat_files.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kv::stats::StatFile;
    if (size < 1) return 0;
    std::string_view in = kvfuzz::view(data, size);
    const unsigned pick = static_cast<unsigned char>(in[0]) % 5;
    in.remove_prefix(1);
    StatFile f = pick == 0   ? StatFile::parent()
                 : pick == 1 ? StatFile::kyosoba()
                 : pick == 2 ? StatFile::seiseki()
                 : pick == 3 ? StatFile::numberPair()
                             : StatFile::numberPair(kv::stats::Winner::Last);
    const std::size_t keyLen = std::min(f.keyField().len, in.size());
    const std::string key(in.substr(0, keyLen));
    in.remove_prefix(keyLen);
    f.loadBytes(std::string(in));
    (void)f.find(key);
    (void)f.findNumber(key);
    (void)f.find("");
    for (std::size_t n = 0; n <= f.count() + 1 && n < 4; ++n) (void)f.record(n);
    (void)kv::stats::selectListedRecords(in, f.recordLength(), f.keyField(), {key, key});
    return 0;
}
