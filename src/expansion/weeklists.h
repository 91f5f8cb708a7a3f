// This week's list files ("KETTONUMTHISWEEKN.dat", "HAHAHANNUMTHISWEEKN.dat"):
// one value per line, read value by value to the end of the file.
#pragma once
#include <string>
#include <vector>

namespace kv::expansion {

// The values of a list file (quotes removed); a missing file gives none.
std::vector<std::string> readListFile(const std::string& path);

}  // namespace kv::expansion
