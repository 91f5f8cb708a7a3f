// The day files under TEKICHU read back as one sequence of items: the values
// of their lines in order, a line end separating two items like a comma
// (quoted-line rules: quotes removed, unquoted values trimmed). Items stay CP932
// bytes; text() decodes one for display. A missing file has no items.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/quoted.h"

namespace kv::history {

class DayItems {
public:
    explicit DayItems(const std::string& path);
    DayItems(const DayItems&) = delete;
    DayItems& operator=(const DayItems&) = delete;

    bool found() const { return found_; }
    bool atEnd() const { return reader_.atEnd(); }
    // The next item as CP932 bytes ("" past the end).
    std::string next() { return reader_.next(); }
    // The next n items (missing ones empty).
    std::vector<std::string> next(std::size_t n) { return reader_.next(n); }
    // The next item as UTF-8 text.
    std::string nextText();

private:
    std::string bytes_;
    bool found_ = false;
    InputReader reader_;
};

// The UTF-8 text of a CP932 item.
std::string text(std::string_view item);

}  // namespace kv::history
