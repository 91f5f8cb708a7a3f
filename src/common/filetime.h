// A file's last-modified date and time as the program shows it: the Japanese
// short date and long time ("2025/03/31 9:05:07"); the time is left out at
// exactly midnight, as a date value converted to text is.
#pragma once
#include <optional>
#include <string>

namespace kv {

// nullopt when the file is missing or its time cannot be read.
std::optional<std::string> fileDateTimeText(const std::string& path);
// The same text for a local time given by its parts.
std::string dateTimeText(int y, int mo, int d, int h, int mi, int s);

}  // namespace kv
