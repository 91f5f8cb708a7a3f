// This week's list files ("KETTONUMTHISWEEKN.dat", "HAHAHANNUMTHISWEEKN.dat"):
// one value per line, read value by value to the end of the file.
#pragma once
#include <string>
#include <vector>

namespace kv::expansion {

// The values of a list file (quotes removed), each value once in the order it
// first comes; a missing file gives none. A list holds each horse or dam once:
// a value met again is passed over and counted in *repeats when given.
std::vector<std::string> readListFile(const std::string& path, long* repeats = nullptr);

}  // namespace kv::expansion
