// The layout of the eleven-column hits "tekichuPC.txt" under TEKICHU, as the
// past performance window reads it back.
#pragma once

namespace kv::eleven {

// Registers the layout of "tekichuPC.txt".
void registerRecordChecks();

}  // namespace kv::eleven
