// Command-line steps of structure processing, cancellation and live results.
#include <iostream>

#include "acquisition/cancel.h"
#include "acquisition/live_results.h"
#include "acquisition/structure.h"
#include "cli.h"
#include "platform/jvlink/jvlink.h"

namespace kvcli {

namespace {

// Starting a Windows program (the weights' self-extractor) is not possible
// here; the window's own message is all the user sees.
struct NoShell : kv::Shell {
    bool openUrl(const std::string&) override { return false; }
    bool startProgram(const std::string&) override { return false; }
};

// Files a step could not write: the step has named them (message and log); it fails.
int reportFailed(const char*, const std::vector<std::string>& failed) { return failed.empty() ? 0 : 1; }

int runStructure(Context& ctx, const std::vector<std::string>&) {
    NoShell shell;
    kv::KOUZOUTAIQUEL w(ctx.status, ctx.messages, shell, [] {});
    w.Form_Load();
    ctx.status.setText("KOUZOUTAIQUEL.Text1", w.Text1);
    return reportFailed("structure", w.FailedFiles());
}

int runCancel(Context& ctx, const std::vector<std::string>&) {
    auto jv = kv::makeJVLink(ctx.feedDir);
    kv::CHUSIRIALTIME w(*jv, ctx.messages, [] {});
    w.Form_Load();
    ctx.status.setText("CHUSIRIALTIME.Text1", w.Text1);
    return reportFailed("cancel", w.FailedFiles());
}

int runLiveResults(Context& ctx, const std::vector<std::string>&) {
    auto jv = kv::makeJVLink(ctx.feedDir);
    kv::TEZHRRIALTIME w(*jv, ctx.messages);
    w.Form_Load();
    return reportFailed("live-results", w.FailedFiles());
}

}  // namespace

void addStructureSteps(std::vector<Step>& steps) {
    steps.push_back({"structure",
                     "② structure processing: sorted week files, lists and per-horse run files",
                     runStructure});
    steps.push_back({"cancel",
                     "cancellation processing: live results, cancelled races and runners out of the week files",
                     runCancel});
    steps.push_back({"live-results",
                     "live win odds and results, written into slot 0 of the race-horse files",
                     runLiveResults});
}

}  // namespace kvcli
