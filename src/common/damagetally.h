// The damaged records of one file, counted as they are met: the file is
// named once, with the count, the first damaged record and what is wrong
// with it, and what to do (the layout's action).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "common/recordlayout.h"

namespace kv {

// Counts the damaged records of one file seen piece by piece (records read
// in parts, possibly by several tallies at once) and notes them when done.
class DamageTally {
public:
    DamageTally(const std::string& path, std::size_t recLen);
    // A tally against the given layout, none looked up by the path: the
    // note says the layout's action.
    DamageTally(const std::string& path, const RecordLayout& layout);
    // Record number n (1-based).
    void check(std::size_t n, std::string_view rec);
    // Record number n of a file of records of several kinds (a download as
    // it arrives) against the layout of its kind: its length (`length`
    // bytes), then as check(); what is said begins with the kind ("SE").
    void checkAs(std::size_t n, std::string_view rec, const RecordLayout& layout, std::size_t length,
                 std::string_view kind);
    // Record n damaged for a reason the reader found (n = 0: the file as a whole).
    void damaged(std::size_t n, std::string what, std::string english);
    long count() const { return count_; }
    // The file's length (bytes): a partial last record is damage.
    void checkLength(long long bytes);
    void add(const DamageTally& other);
    void note() const;

private:
    std::string path_;
    const RecordLayout* layout_;
    std::size_t len_;
    long count_ = 0;
    std::size_t first_ = 0;
    std::string what_;
    std::string english_;
};

}  // namespace kv
