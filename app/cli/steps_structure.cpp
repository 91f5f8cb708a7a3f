// Command-line steps of structure processing, cancellation and live results.
#include "cli.h"

namespace kvcli {

void addStructureSteps(std::vector<Step>& steps) {
    (void)steps;
}

}  // namespace kvcli
