// Command-line step of the factor weight windows: runs one window's load and
// prints its controls.
#include <iostream>
#include <memory>
#include <string>

#include "cli.h"
#include "factorview/factor_window.h"
#include "platform/controls/dump.h"

namespace kvcli {

namespace {

int factorWeights(Context& ctx, const std::vector<std::string>& options) {
    using namespace kv::factorview;
    std::unique_ptr<FactorWeightWindow> w;
    if (options.size() == 1) {
        if (options[0] == "--turf") w = std::make_unique<FactorTURFQJ>(ctx.messages);
        else if (options[0] == "--dirt") w = std::make_unique<FactorDIRTQJ>(ctx.messages);
        else if (options[0] == "--hurdle") w = std::make_unique<FactorHURDQJ>(ctx.messages);
    }
    if (!w) {
        std::cerr << "usage: korivan-cli factor-weights --turf|--dirt|--hurdle" << std::endl;
        return 2;
    }
    if (!w->Form_Load()) return 1;
    kv::controls::ControlDump dump(std::cout);
    w->dump(dump);
    std::cout.flush();
    return 0;
}

}  // namespace

void addFactorViewSteps(std::vector<Step>& steps) {
    steps.push_back({"factor-weights", "the turf, dirt or hurdle factor weight window's controls --turf|--dirt|--hurdle",
                     factorWeights});
}

}  // namespace kvcli
