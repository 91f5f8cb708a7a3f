// The history windows' day-file readers: the past performance window (its
// search, its speed export and a click on the day) and the big-payout hit
// list, on one race day whose files come from the input. Input: the day's
// "tekichu.txt", "kaiteki.txt", "tekichuPC.txt", "kaitekiPC.txt" and
// "lupRCM.txt", joined by kvfuzz::kPartBreak (missing parts: no file).
#include <filesystem>

#include "betlines/record_checks.h"
#include "common/appfolder.h"
#include "elevencolumn/record_checks.h"
#include "fuzz_common.h"
#include "history/past_performance_window.h"
#include "history/hit_list_window.h"
#include "prediction/record_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* const kSuffixes[] = {kv::suffix::TEKICHU, kv::suffix::KAITEKI, kv::suffix::TEKICHU_PC,
                                            kv::suffix::KAITEKI_PC, kv::suffix::LUP_RCM};
    static const std::string kDay = "20251122050601";
    // The day files' checks, as the program registers them at start-up.
    static const bool registered =
        (kv::pred::registerRecordChecks(), kv::bet::registerRecordChecks(), kv::eleven::registerRecordChecks(), true);
    (void)registered;
    kvfuzz::scratchAppDir();
    std::error_code ec;
    for (const char* d : {kv::dirs::TEKICHU, kv::dirs::SOKUDO}) std::filesystem::remove_all(kv::appFile(d), ec);
    const std::string tekichu = kv::appFile(kv::dirs::TEKICHU);
    kv::makeDirs(tekichu);
    kv::makeDirs(kv::appFile(kv::dirs::SOKUDO));
    const auto parts = kvfuzz::splitParts(kvfuzz::view(data, size), std::size(kSuffixes));
    for (std::size_t i = 0; i < parts.size(); ++i)
        kv::writeFileAtomic(kv::joinPath(tekichu, kDay + kSuffixes[i]), parts[i]);

    kv::NullStatusSink menu;
    kv::history::KakoSeisekiQUEL past(menu);
    past.Form_Load();
    for (int i = 0; i < static_cast<int>(past.List1.size()); ++i) past.List1_Click(i);
    kv::history::TekichuListQUEL hits(menu, {});
    hits.Form_Load();
    return 0;
}
