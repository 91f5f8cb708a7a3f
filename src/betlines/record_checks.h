// The layouts of the race list "lupRCM.txt" and the hit summary
// "tekichu.txt" under TEKICHU, as the history windows read them back.
#pragma once

namespace kv::bet {

// Registers the layouts of "lupRCM.txt" and "tekichu.txt".
void registerRecordChecks();

}  // namespace kv::bet
