// What a file read whole must look like, by its name: the record layout of a
// record file (record length, CR LF at the end, CP932 text, fields that must
// be digits) or the grammar of a text file (its lines or its stream of
// quoted values, and the fields that must hold numbers). Each layout is
// registered by the code that owns the file's format; the file layer checks
// every file it reads whole against the layout registered for its name
// (common/recordcheck.h). A file with no layout is not checked.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/fields.h"

namespace kv {


// A field that must be digits; `name` says what it holds, in Japanese
// ("レースキー") and in English ("race key"). With `takes`, the field must be
// a text that function takes instead: the forms the field's reader converts,
// and blanks where its writer may leave it blank.
struct DigitField {
    Field field;
    const char* name;
    const char* english;
    bool (*takes)(std::string_view) = nullptr;
};

// Fields of a text line that must hold numbers, the line read by the
// quoted-line rules (common/quoted.h: fields separated by commas, a quoted
// field without its quotes, an unquoted field without the blanks around it).
struct LineField {
    // Digits: digits only. Text: any text, not empty. Present: any text,
    // empty too, as long as the field stands on the line (a line of fewer
    // values than its reader takes reads into the next one).
    // The forms a reader's conversion takes (common/numbers.h), blanks
    // around allowed: Number, a number as val() and strictNumber() read it
    // whole: an optional sign, digits with at most one point ("53.5", ".5",
    // "+53.5", "-0.5", "5."); Whole, as strictInt() reads it: an optional
    // sign and digits.
    // Pair: a position in the form of Number (at most nine characters, no
    // blank before it), a blank and digits ("19 20"): the position is read
    // up to the first blank among the first ten characters.
    // RaceTime: a time as the speed export reads it ("1.44.90"): its first
    // character and its last five characters each a Number.
    enum Kind : unsigned char { Digits, Text, Present, Number, Pair, Whole, RaceTime };
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
    std::size_t length = 0;          // 0: text, lines or a stream of values
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
    // In a stream: the first row has this many fields (a day header) when
    // not 0; the fields after it make whole rows (a field lost or added
    // shows); at least this many rows follow the head (the reader takes
    // them: a stream that ends before them is damaged).
    std::size_t headFields = 0;
    bool wholeRows = false;
    std::size_t minRows = 0;
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

}  // namespace kv
