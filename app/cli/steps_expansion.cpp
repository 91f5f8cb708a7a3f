// Command-line steps of the expansion subsystem.
#include "cli.h"

namespace kvcli {

void addExpansionSteps(std::vector<Step>& steps) {
    (void)steps;
}

}  // namespace kvcli
