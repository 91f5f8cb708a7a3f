// Pieces the download handlers share: the read buffer, the record text of a
// read, and the bound on reopening damaged files.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/sinks.h"

namespace kv {

// JVRead's buffer size and initial content.
inline constexpr int kReadBufferSize = 128000;

// A damaged file is deleted and reopened at most kMaxReopen times per file name
// and press; after that the read ends as for any other read error.
class DamagedFileGuard {
public:
    static constexpr int kMaxReopen = 3;
    // Counts one more damaged report of the file; true while it may be reopened.
    bool mayReopen(const std::string& fileName) { return ++counts_[fileName] <= kMaxReopen; }

private:
    std::unordered_map<std::string, int> counts_;
};

// Passes messages on and counts them (a download that showed an error message
// did not succeed).
struct MessageCounter : MessageSink {
    explicit MessageCounter(MessageSink& out) : out_(out) {}
    void message(const std::string& text) override {
        ++count;
        out_.message(text);
    }
    int count = 0;

private:
    MessageSink& out_;
};

// The record a read delivered: the first rc bytes of the buffer (all of it
// when the buffer is shorter).
inline std::string_view readRecord(const std::string& buffer, long rc) {
    if (rc <= 0) return {};
    std::size_t n = static_cast<std::size_t>(rc);
    return std::string_view(buffer).substr(0, n < buffer.size() ? n : buffer.size());
}

}  // namespace kv
