// Command-line steps of structure processing, cancellation and live results.
#include <iostream>

#include "acquisition/structure.h"
#include "cli.h"

namespace kvcli {

namespace {

// Starting a Windows program (the weights' self-extractor) is not possible
// here; the window's own message is all the user sees.
struct NoShell : kv::Shell {
    bool openUrl(const std::string&) override { return false; }
    bool startProgram(const std::string&) override { return false; }
};

// Files a step could not write: reported, and the step fails.
int reportFailed(const char* step, const std::vector<std::string>& failed) {
    for (const auto& f : failed) std::cerr << "korivan-cli: " << step << ": could not write " << f << std::endl;
    return failed.empty() ? 0 : 1;
}

int runStructure(Context& ctx, const std::vector<std::string>&) {
    NoShell shell;
    kv::KOUZOUTAIQUEL w(ctx.status, ctx.messages, shell, [] {});
    w.Form_Load();
    ctx.status.setText("KOUZOUTAIQUEL.Text1", w.Text1);
    return reportFailed("structure", w.FailedFiles());
}

}  // namespace

void addStructureSteps(std::vector<Step>& steps) {
    steps.push_back({"structure",
                     "② structure processing: sorted week files, lists and per-horse run files",
                     runStructure});
}

}  // namespace kvcli
