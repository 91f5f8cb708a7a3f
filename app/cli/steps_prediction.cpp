// Command-line steps of the prediction subsystem.
#include "cli.h"

namespace kvcli {

void addPredictionSteps(std::vector<Step>& steps) {
    (void)steps;
}

}  // namespace kvcli
