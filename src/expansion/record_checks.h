// The layouts of the files the calculation owns, registered by it: the
// expanded run records it writes under UMAGOTOEXTHISWEEKN and the factor
// weight tables of OPTION1N it reads.
#pragma once

namespace kv::expansion {

// Registers those layouts (at start-up, before any file is read).
void registerRecordChecks();

}  // namespace kv::expansion
