// Pieces the download handlers share: the read buffer, the record text of a
// read, the bound on reopening damaged files, and the check of the records
// as they arrive.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/recordcheck.h"
#include "platform/jvlink/jvlink.h"
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

// Checks the records of a download as they arrive, each once, against the
// layout of the file its kind goes to (common/recordcheck.h), and notes the
// damaged records of each downloaded file in the step's notes, which its
// report names: the file, how many, the first (its place in the file), its
// kind and what is wrong, and what to do (the action of the step's own
// file: run the download again). Damaged besides: a record whose kind is not
// two letters or digits, a file without records, and the records from where
// a file's first record comes again (the file repeated). Records of other
// kinds pass unlooked at (a download carries kinds the program does not use).
// Nothing is checked while the layouts are not registered.
class ReceivedRecords {
public:
    // A record kind (its first two bytes, "RA") and the file whose
    // registered layout its records follow.
    struct Kind {
        const char* id;
        const char* file;
    };
    // spec: the dataspec read (names the files); actionFile: the file whose
    // layout's action the notes say.
    ReceivedRecords(const JVLink& link, std::string spec, const std::vector<Kind>& kinds, const char* actionFile);
    // A record JVRead delivered from the file fileName.
    void record(std::string_view rec, const std::string& fileName);
    // JVRead's end of the file fileName (-1).
    void endOfFile(const std::string& fileName);
    // The download is read again from its first file: the file in hand is dropped.
    void restart();
    // The read ended: notes the file in hand.
    void finish();

private:
    struct Checked {
        char id[2];
        const RecordLayout* layout;
        std::size_t length;  // as received
    };
    void begin(const std::string& fileName);
    const JVLink& link_;
    std::string spec_;
    std::vector<Checked> kinds_;
    const RecordLayout* action_ = nullptr;
    // The file in hand: its tally, name, first record, records so far, and
    // whether its first record came again.
    std::optional<DamageTally> tally_;
    std::string file_;
    std::string first_;
    std::size_t n_ = 0;
    bool repeated_ = false;
};

}  // namespace kv
