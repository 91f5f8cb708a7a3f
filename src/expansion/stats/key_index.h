// Bytes of a file held for the whole run, and a hash index of the key member
// of the fixed-length records in them: no string per record, lookups by view.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/fields.h"
#include "common/fsys.h"

namespace kv::stats {

// Which record wins when several records carry the same key.
enum class Winner { First, Last };

// The bytes of a whole file, mapped or read in place, or bytes handed over.
// Held behind a shared pointer, so views into them stay put.
class HeldBytes {
public:
    // The file's bytes; empty when it cannot be read (ok set to false; an
    // unreadable file is noted as every reader of common/ notes it).
    static std::shared_ptr<const HeldBytes> read(const std::string& path, bool* ok = nullptr);
    static std::shared_ptr<const HeldBytes> own(std::string bytes);
    std::string_view view() const { return view_; }

private:
    std::string owned_;
    kv::FileBytes file_;
    std::string_view view_;
};


// Index of the records of bytes (recLen each, whole records only) by their
// key: the member key, followed by the member key2 when it has a width (the
// two joined, as one text), through an open-addressing table; a big file
// already in key order is searched in place (binary search, no table). The
// bytes are not copied; they must outlive the index.
class KeyIndex {
public:
    void build(std::string_view bytes, std::size_t recLen, Field key, Winner winner, Field key2 = {0, 0});
    // 1-based number of the winning record whose key equals text byte for byte
    // (a text of another width never matches); 0 when none.
    std::size_t find(std::string_view text) const;
    std::size_t count() const { return count_; }

private:
    std::uint64_t hashAt(std::size_t n) const;                  // record n, 1-based
    int compareAt(std::size_t n, std::string_view text) const;   // <0, 0, >0 as record n's key to text
    std::string_view keyOf(std::size_t n, char* scratch) const;  // record n's key (scratch: width bytes)
    bool inKeyOrder() const;
    std::string_view bytes_;
    std::size_t len_ = 0, count_ = 0;
    Field k1_{0, 0}, k2_{0, 0};
    std::size_t width_ = 0;
    Winner winner_ = Winner::First;
    bool sorted_ = false;
    std::string keys_;  // not too many records: their keys side by side
    std::vector<std::uint32_t> slots_;  // record number, 0 for an empty slot
    std::size_t mask_ = 0;
};

}  // namespace kv::stats
