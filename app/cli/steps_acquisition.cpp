// Command-line steps of the acquisition subsystem.
#include "cli.h"

namespace kvcli {

void addAcquisitionSteps(std::vector<Step>& steps) {
    (void)steps;
}

}  // namespace kvcli
