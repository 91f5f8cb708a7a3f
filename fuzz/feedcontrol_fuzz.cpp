// The JV-Link emulator's control file.
#include "common/appfolder.h"
#include "fuzz_common.h"
#include "platform/jvlink/emulator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const kv::FeedControl c = kv::FeedControl::parse(std::string(kvfuzz::view(data, size)));
    for (const auto& [name, spec] : c.specs) (void)c.spec(name).damaged.size();
    (void)c.spec(kv::feed::WEEK);
    return 0;
}
