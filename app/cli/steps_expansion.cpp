// Command-line steps of the expansion subsystem: 4 (previous-day fixing) and
// 5 (the calculation run), over the expansion window's own handlers.
#include <iostream>
#include <string>

#include "cli.h"
#include "common/numbers.h"
#include "expansion/expansion_window.h"

namespace kvcli {

namespace {

int fixPreviousDay(Context& ctx, const std::vector<std::string>&) {
    kv::expansion::KORIVANEXPDTHISWEEKNQUEL w(ctx.status, ctx.messages, ctx.progress);
    w.Form_Load();
    return w.Command3_Click() ? 0 : 1;
}

int calculate(Context& ctx, const std::vector<std::string>& options) {
    kv::expansion::KORIVANEXPDTHISWEEKNQUEL w(ctx.status, ctx.messages, ctx.progress);
    w.setThreads(threadsOption(options));
    w.Form_Load();
    const kv::expansion::CalculationReport r = w.Command1_Click();
    ctx.progress.finish();
    return r.ok() ? 0 : 1;
}

}  // namespace

unsigned threadsOption(const std::vector<std::string>& options) {
    // 0 (or anything that is no sensible count) leaves the choice to the machine.
    for (const auto& o : options)
        if (o.rfind("--threads=", 0) == 0) {
            const long long n = kv::valLong(o.substr(10));
            return n > 0 && n <= 256 ? static_cast<unsigned>(n) : 0u;
        }
    return 0;
}

void addExpansionSteps(std::vector<Step>& steps) {
    steps.push_back({"fix-previous-day",
                     "4: set weather, going, horse weight and time margin still missing the day before the race",
                     fixPreviousDay});
    steps.push_back({"calculate",
                     "5: build the expanded run files and compute factor codes and speeds [--threads=N]",
                     calculate});
}

}  // namespace kvcli
