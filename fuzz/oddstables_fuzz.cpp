// Odds file lines turned into per-race odds tables. Input: one byte choosing
// the odds file (this week's or the live one), then its bytes; the tables are
// written into a scratch application folder.
#include <filesystem>

#include "acquisition/menu_globals.h"
#include "acquisition/odds_tables.h"
#include "common/appfolder.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kFiles[] = {kv::files::O2_WEEK, kv::files::O4_WEEK, kv::files::O5_WEEK,
                                         kv::files::O6_WEEK, kv::files::O2_LIVE, kv::files::O4_LIVE,
                                         kv::files::O5_LIVE, kv::files::O6_LIVE};
    static unsigned runs = 0;
    const std::string& app = kvfuzz::scratchAppDir();
    if (size < 1) return 0;
    std::string_view in = kvfuzz::view(data, size);
    const unsigned pick = static_cast<unsigned char>(in[0]) % 8;
    in.remove_prefix(1);
    for (const char* f : kFiles) kv::removeFile(kv::appFile(f));
    kv::makeDirs(kv::appFile(kv::dirs::KAIME));
    kv::writeFileAtomic(kv::appFile(kFiles[pick]), in);
    kv::OddsSource = pick < 4 ? 0 : 1;
    kv::KORIVANODDSN w;
    w.Form_Load();
    // Nothing may land outside the folder of the tables.
    for (const auto& name : kv::listFiles(app))
        if (name.rfind("O", 0) != 0 && name != kv::files::STEPSTATE) std::abort();
    if (++runs % 500 == 0) {
        std::error_code ec;
        std::filesystem::remove_all(kv::appFile(kv::dirs::KAIME), ec);
    }
    return 0;
}
