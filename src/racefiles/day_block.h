// The common frame of the writers that add one block a race to a day file
// (the race card and the race text).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "common/dayfile.h"
#include "prediction/window_state.h"
#include "prediction/writer.h"

namespace kv::racefiles {

// A writer of the chain whose race adds one block to the file of the race's
// DayKey in a folder. The first race of a DayKey in the run creates the file
// and starts the block with the day and place lines. The block is written in
// one go; on a failure the lines built so far are written before the failure
// goes on to the chain.
class DayBlockWriter : public pred::Writer {
public:
    std::vector<DayFiles*> dayFiles() override { return {&days_}; }

protected:
    // Builds the block of the race raceId (its lines after the day and place
    // lines) with build and adds it to folder/<DayKey><fileSuffix>.
    void writeDayBlock(const pred::WindowState& st, const std::string& raceId, const char* folder,
                       const char* fileSuffix, const std::function<void(std::string& block)>& build);

private:
    DayFiles days_;
    std::string block_;  // the race block, kept for the next race's
};

}  // namespace kv::racefiles
