// A race ranked and scored by the prediction run's own stages from given
// predicted speeds (horse numbers 1..n), for the race-card, race text and
// eleven-column tests.
#pragma once
#include <string>
#include <vector>

#include "prediction/window_state.h"

namespace racetest {

// Race id 2025040506010211 (中山), registered count torokuTosu, dirt track.
kv::pred::WindowState rankedRace(const std::vector<float>& speeds, const std::string& torokuTosu,
                                 std::int16_t kekkaMode);

}  // namespace racetest
