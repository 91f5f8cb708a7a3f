#include "expansion/stats/key_index.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kv::stats {

std::shared_ptr<const HeldBytes> HeldBytes::read(const std::string& path, bool* ok) {
    auto h = std::make_shared<HeldBytes>();
    kv::FileView f = kv::readFileView(path);
    if (ok) *ok = f.ok();
    if (f.ok()) {
        h->file_ = std::move(f.bytes);
        h->view_ = h->file_.view();
    }
    return h;
}

std::shared_ptr<const HeldBytes> HeldBytes::own(std::string bytes) {
    auto h = std::make_shared<HeldBytes>();
    h->owned_ = std::move(bytes);
    h->view_ = h->owned_;
    return h;
}

namespace {

inline std::uint64_t mix(std::uint64_t h, const char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) h = (h ^ static_cast<unsigned char>(p[i])) * 1099511628211ull;
    return h;
}

constexpr std::uint64_t kSeed = 14695981039346656037ull;

}  // namespace

// The key of record n (1-based): side by side in keys_, or in the record.
std::uint64_t KeyIndex::hashAt(std::size_t n) const {
    std::uint64_t h;
    if (!keys_.empty()) {
        h = mix(kSeed, keys_.data() + (n - 1) * width_, width_);
    } else {
        const char* rec = bytes_.data() + (n - 1) * len_;
        h = mix(kSeed, rec + k1_.off, k1_.len);
        if (k2_.len) h = mix(h, rec + k2_.off, k2_.len);
    }
    return h ^ (h >> 29);
}

int KeyIndex::compareAt(std::size_t n, std::string_view text) const {
    if (!keys_.empty()) return std::memcmp(keys_.data() + (n - 1) * width_, text.data(), width_);
    const char* rec = bytes_.data() + (n - 1) * len_;
    const int c = std::memcmp(rec + k1_.off, text.data(), k1_.len);
    if (c != 0 || k2_.len == 0) return c;
    return std::memcmp(rec + k2_.off, text.data() + k1_.len, k2_.len);
}

std::string_view KeyIndex::keyOf(std::size_t n, char* scratch) const {
    if (!keys_.empty()) return {keys_.data() + (n - 1) * width_, width_};
    const char* rec = bytes_.data() + (n - 1) * len_;
    std::memcpy(scratch, rec + k1_.off, k1_.len);
    std::memcpy(scratch + k1_.len, rec + k2_.off, k2_.len);
    return {scratch, width_};
}

bool KeyIndex::inKeyOrder() const {
    const char* prev = bytes_.data();
    for (std::size_t n = 1; n < count_; ++n) {
        const char* rec = prev + len_;
        int c = std::memcmp(prev + k1_.off, rec + k1_.off, k1_.len);
        if (c == 0 && k2_.len) c = std::memcmp(prev + k2_.off, rec + k2_.off, k2_.len);
        if (c > 0) return false;
        prev = rec;
    }
    return true;
}

void KeyIndex::build(std::string_view bytes, std::size_t recLen, Field key, Winner winner, Field key2) {
    bytes_ = bytes;
    len_ = recLen;
    k1_ = key;
    k2_ = key2;
    width_ = key.len + key2.len;
    winner_ = winner;
    count_ = 0;
    sorted_ = false;
    keys_.clear();
    slots_.clear();
    mask_ = 0;
    if (recLen == 0 || key.end() > recLen || key2.end() > recLen) return;
    count_ = bytes.size() / recLen;
    if (count_ == 0) return;
    // Up to some ten thousand records: their keys side by side (they stay in
    // the cache while the table is built and searched). A bigger file already
    // in key order is searched in place, without a table.
    constexpr std::size_t kCompactUpTo = 1 << 16;
    if (count_ <= kCompactUpTo) {
        keys_.reserve(count_ * width_);
        for (std::size_t n = 0; n < count_; ++n) {
            const char* rec = bytes.data() + n * recLen;
            keys_.append(rec + k1_.off, k1_.len);
            keys_.append(rec + k2_.off, k2_.len);
        }
    } else if (inKeyOrder()) {
        sorted_ = true;
        return;
    }
    std::size_t size = 16;
    while (size < 2 * count_) size *= 2;
    slots_.assign(size, 0);
    mask_ = size - 1;
    std::string scratch(width_, ' ');
    for (std::size_t n = 1; n <= count_; ++n) {
        const std::string_view k = keyOf(n, scratch.data());
        for (std::size_t s = hashAt(n) & mask_;; s = (s + 1) & mask_) {
            const std::uint32_t at = slots_[s];
            if (at == 0) {
                slots_[s] = static_cast<std::uint32_t>(n);
                break;
            }
            if (compareAt(at, k) == 0) {
                if (winner == Winner::Last) slots_[s] = static_cast<std::uint32_t>(n);
                break;
            }
        }
    }
}

std::size_t KeyIndex::find(std::string_view text) const {
    if (count_ == 0 || text.size() != width_) return 0;
    if (sorted_) {
        // Equal keys stand together: the first of them or the last.
        std::size_t lo = 0, hi = count_;
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            const int c = compareAt(mid + 1, text);
            if (c < 0 || (c == 0 && winner_ == Winner::Last)) lo = mid + 1;
            else hi = mid;
        }
        // lo: records before it are below the key (First) or not above it (Last).
        const std::size_t at = winner_ == Winner::Last ? lo : lo + 1;
        if (at == 0 || at > count_) return 0;
        return compareAt(at, text) == 0 ? at : 0;
    }
    std::uint64_t h = mix(kSeed, text.data(), width_);
    h ^= h >> 29;
    for (std::size_t s = h & mask_;; s = (s + 1) & mask_) {
        const std::uint32_t at = slots_[s];
        if (at == 0) return 0;
        if (compareAt(at, text) == 0) return at;
    }
}

}  // namespace kv::stats
