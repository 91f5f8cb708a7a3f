// What a file read whole must look like, by its name: the record layout of a
// record file (record length, CR LF at the end, CP932 text, fields that must
// be digits) or a text file of CR LF lines (fields of named lines that must
// hold numbers). The file
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

// Fields of a text line that must hold numbers, the line read by the
// quoted-line rules (common/quoted.h: fields separated by commas, a quoted
// field without its quotes, an unquoted field without the blanks around it).
struct LineField {
    // Digits: digits only. Padded: digits after blanks (a right-aligned
    // number). Number: an optional minus, digits, an optional point and
    // digits. Counted: digits and their unit, a CP932 word ("2025年",
    // "3日目"). Pair: digits, a blank and digits ("19 20"). Combination:
    // horse numbers of two characters joined by "-" or "→" (" 1- 3-12",
    // "12→ 7").
    enum Kind : unsigned char { Digits, Padded, Number, Counted, Pair, Combination };
    // The lines it applies to: those whose first field is `tag` (CP932
    // bytes; "MS*": those whose first field starts with "MS"); with no tag,
    // the lines fromLine..toLine (1-based), every line when fromLine is 0.
    // In a file of rows (RecordLayout::rowFields) read "row" for "line".
    std::string tag;
    unsigned fromLine = 0;
    unsigned toLine = 0;
    // The fields first..last (0-based), each a number of this kind; with
    // emptyOk an empty or absent field passes.
    unsigned first = 0;
    unsigned last = 0;
    Kind kind = Digits;
    bool emptyOk = false;
    const char* name = "";
    const char* english = "";
};

struct RecordLayout {
    std::size_t length = 0;          // 0: lines of text, each ending in CR LF
    bool crlf = false;               // each record ends in CR LF
    bool text = false;               // CP932 text: no NUL byte, no byte outside CP932
    bool nulFree = false;            // no NUL byte (a record whose text was checked before)
    std::vector<DigitField> digits;  // fields that must be digits
    // Lines: the fields that must hold numbers (an empty line has none),
    // whether every field is quoted whole or bare with no quote in it, how
    // many lines at most (0: any).
    std::vector<LineField> lineFields;
    bool fieldForm = false;
    std::size_t maxLines = 0;
    // Not 0: the file is one stream of fields in which line ends separate
    // fields as commas do, every rowFields fields form a row, and the rules
    // above (lineFields, fieldForm, maxLines) apply to its rows; a fault is
    // told at the line where its row starts, and the last line needs no line
    // end. With neither rules nor fieldForm only the text is checked: the
    // reader, which knows how many values it takes, checks those it reads.
    std::size_t rowFields = 0;
    bool needsRecords = false;       // an empty file is damaged
    std::string action;              // what to do about damage ("①今週開催取得をやり直して下さい。")
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
