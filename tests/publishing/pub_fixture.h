// A five-runner race in the window state, built the way the prediction run
// builds it (its own ranking and bet lists), and an application folder with
// the output folders of the publishing writers.
#pragma once
#include <string>
#include <vector>

#include "fixtures/fixtures.h"
#include "prediction/window_state.h"

namespace pubtest {

// Race id 2025040506030501 (Nakayama, meeting 3, day 5, race 1), registered
// count "05", speeds 58.5 61.0 60.0 59.0 57.0 for horses 1 to 5.
kv::pred::WindowState fiveHorseRace(std::int16_t kekkaMode = 0);

// Makes race `raceId` of n runners the current race: the race id, its row of
// the per-race table, the horses (speeds falling from 60 by 0.5, brackets
// 1..8 by number) and its lists as the run builds them.
void setRace(kv::pred::WindowState& st, const std::string& raceId, int n, const std::string& torokuTosu);

struct AppDir {
    kvtest::TempDir dir;
    AppDir();
    std::string read(const std::string& rel) const { return dir.read(rel); }
    bool exists(const std::string& rel) const { return dir.exists(rel); }
};

}  // namespace pubtest
