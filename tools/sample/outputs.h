// Writers of the sample week's files.
#pragma once
#include <string>

#include "world.h"

namespace kvsample {

struct WriteSummary {
    int weekRaces = 0;
    int weekRunners = 0;
    int weekHorses = 0;
    int pastRaces = 0;
    int pastRuns = 0;         // runs of this week's horses before the week
    int maxPastRuns = 0;
    std::size_t feedRecords = 0;
    std::size_t statHorses = 0, statDams = 0, statSires = 0, foalRecords = 0;
};

// JRACODE/CodeTable.csv (CP932, 8 fields a line).
bool writeCodeTable(const std::string& appDir);
// The OPTION1N statistics files derived from the history before the week.
bool writeStatistics(const World& w, const std::string& appDir, WriteSummary& sum);
// The JV-Link feed folder <appDir>/jvfeed for the phase.
bool writeFeed(const World& w, const std::string& appDir, WriteSummary& sum);
// <appDir>/sample: hidden abilities and the week's results.
bool writeHidden(const World& w, const std::string& appDir);

// The code table's text (UTF-8 lines) — shared with the tests.
std::string codeTableUtf8();

// Everything: world, code table, statistics, feed, hidden files. Throws
// std::runtime_error when a file cannot be written.
WriteSummary generate(const Options& opt);

}  // namespace kvsample
