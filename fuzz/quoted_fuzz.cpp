// Quoted-value lines read back field by field, and line splitting.
#include "common/quoted.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in = kvfuzz::view(data, size);
    kv::InputReader r(in);
    // Every field takes at least one byte or ends the input: at most size + 1 fields.
    for (std::size_t i = 0; i <= size + 1 && !r.atEnd(); ++i) (void)r.next();
    kv::InputReader(in).next(12);
    (void)kv::splitLines(in);
    return 0;
}
