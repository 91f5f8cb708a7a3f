// Command-line steps of the prediction subsystem: ⑥ (the prediction run of the
// predictions window) and the whole week's road.
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "cli.h"
#include "prediction/yosokekka.h"
#include "week/writer_table.h"

namespace kvcli {

namespace {

int predict(Context& ctx, const std::vector<std::string>&) {
    ctx.status.setText("Text5", "予想･結果を開始しました。しばらくお待ちください。。数分かかります。");
    kv::pred::YOSOKEKKATHISWEEKNQUEL w(kv::week::makeStandardChain(), ctx.status);
    w.Form_Load();
    for (const auto& item : w.List1()) ctx.status.setText("List1", item);
    for (const auto& f : w.chain().failures())
        std::cerr << "korivan-cli: writer " << f.writer << " failed for race " << w.st.run.raceKey(f.RaceIdx) << ": "
                  << f.what << std::endl;
    if (w.SkippedPayoutRepeats > 0)
        std::cerr << "korivan-cli: predict: " << w.SkippedPayoutRepeats
                  << " repeated payout record(s) skipped (one race pass per race)" << std::endl;
    for (const auto& path : w.st.WriteFailures) std::cerr << "korivan-cli: could not write " << path << std::endl;
    ctx.status.setText("Text5", "予想･結果終了");
    // The run goes on past a failed file or writer, but the step does not pass for a success.
    const bool failed = !w.chain().failures().empty() || !w.st.WriteFailures.empty();
    if (failed) std::cerr << "korivan-cli: predict: the run finished with failures (see above)" << std::endl;
    return failed ? 1 : 0;
}

int runWeek(Context& ctx, const std::vector<std::string>&) {
    std::vector<std::string> missing;
    int failed = 0;
    for (const auto& step : kv::week::weekRoad()) {
        if (!hasStep(step)) {
            missing.push_back(step);
            continue;
        }
        std::cout << "== " << step << std::endl;
        const int rc = runStep(ctx, step);
        if (rc != 0) {
            // Later steps would work on what the failed one left behind.
            std::cerr << "korivan-cli: run-week: step '" << step << "' failed (" << rc << "), road stopped" << std::endl;
            ++failed;
            break;
        }
    }
    if (!missing.empty()) {
        std::cerr << "korivan-cli: run-week: not available yet:";
        for (const auto& m : missing) std::cerr << ' ' << m;
        std::cerr << std::endl;
    }
    return failed == 0 ? 0 : 1;
}

}  // namespace

void addPredictionSteps(std::vector<Step>& steps) {
    steps.push_back({"predict", "6: the prediction run (race index, race-horse files, bets, ticket files, writers, rates)",
                     predict});
    steps.push_back({"run-week",
                     "the whole road: startup, fetch, structure, odds-fetch, odds-fetch-trifecta, odds-tables, "
                     "fix-previous-day, calculate, predict",
                     runWeek});
}

}  // namespace kvcli
