// What a file read whole must look like, by its name: the record layout of a
// record file (record length, CR LF at the end, CP932 text, fields that must
// be digits) or a text file of CR LF lines. The file
// layer checks every file it reads whole against the layout registered for
// its name and notes the damaged records (FileNotes::noteDamaged); the reader
// goes on with the records as they read. A file with no layout is not checked.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/fields.h"

namespace kv {

// A field that must be digits; `name` says what it holds, in Japanese
// ("レースキー") and in English ("race key").
struct DigitField {
    Field field;
    const char* name;
    const char* english;
};

struct RecordLayout {
    std::size_t length = 0;  // 0: lines of text, each ending in CR LF
    bool crlf = false;  // each record ends in CR LF
    bool text = false;  // CP932 text: no NUL byte, no byte outside CP932
    std::vector<DigitField> digits;  // fields that must be digits
    bool needsRecords = false;  // an empty file is damaged
    std::string action;  // what to do about damage ("①今週開催取得をやり直して下さい。")
};

// Registers the layout of the files matching `pattern`: a file name
// ("SETHISWEEKN.dat"), "FOLDER/*SUFFIX" (a file of the folder FOLDER whose
// name ends in SUFFIX) or "*SUFFIX" (such a file in any folder). A later
// registration of the same pattern replaces the earlier one.
void registerRecordLayout(const std::string& pattern, RecordLayout layout);
// The layout for a path; nullptr when none is registered.
const RecordLayout* recordLayoutFor(std::string_view path);

// Checks the bytes of a whole file against its registered layout and notes
// what is damaged (nothing when no layout is registered).
void checkFileBytes(const std::string& path, std::string_view bytes);
// The same against a given layout.
void checkFileBytes(const std::string& path, std::string_view bytes, const RecordLayout& layout);
// A file read as records of recLen bytes: its registered layout, or a layout
// of that record length alone (the file must hold whole records).
void checkRecordFile(const std::string& path, std::string_view bytes, std::size_t recLen);

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
    friend void checkFileBytes(const std::string&, std::string_view, const RecordLayout&);
    std::string path_;
    const RecordLayout* layout_;
    std::size_t len_;
    long count_ = 0;
    std::size_t first_ = 0;
    std::string what_;
    std::string english_;
};

// True when the bytes are CP932 text without NUL bytes.
bool isCp932Text(std::string_view bytes);
// Text is checked with the widest registers the processor has; tests check
// the narrow way too (every x86-64 processor has it).
void useNarrowTextCheck(bool narrow);

}  // namespace kv
