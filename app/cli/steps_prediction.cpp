// Command-line steps of the prediction subsystem: ⑥ (the prediction run of the
// predictions window) and the whole week's road.
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "acquisition/menu.h"
#include "cli.h"
#include "prediction/predictions_window.h"
#include "week/writer_table.h"

namespace kvcli {

namespace {

int predict(Context& ctx, const std::vector<std::string>& options) {
    // The run goes on past a failed file or writer, but the step does not pass for a success.
    const bool failed = openPredictions(ctx, threadsOption(options));
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

bool openPredictions(Context& ctx, unsigned threads) {
    ctx.status.setText("Text5", "予想･結果を開始しました。しばらくお待ちください。。数分かかります。");
    auto w = std::make_shared<kv::pred::YOSOKEKKATHISWEEKNQUEL>(kv::week::makeStandardChain(), ctx.status);
    w->setThreads(threads);
    ctx.predictions = w;
    ctx.raceDisplay.reset();
    std::string error;
    try {
        w->Form_Load();
    } catch (const std::exception& e) {
        error = e.what();
    }
    for (const auto& item : w->List1()) ctx.status.setText("List1", item);
    // Writer failures and unwritten files go to standard error, one message names them.
    const bool failed = w->report(error).tell(ctx.messages);
    ctx.status.setText("Text5", failed ? kv::kPredictionsFailedText : "予想･結果終了");
    return failed;
}

void addPredictionSteps(std::vector<Step>& steps) {
    steps.push_back({"predict", "6: the prediction run (race index, race-horse files, bets, ticket files, writers, rates) [--threads=N]",
                     predict});
    steps.push_back({"run-week",
                     "the whole road: startup, fetch, structure, odds-fetch, odds-fetch-trifecta, odds-tables, "
                     "fix-previous-day, calculate, predict",
                     runWeek});
}

}  // namespace kvcli
