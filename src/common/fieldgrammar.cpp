// The line and stream grammar of the quoted-value files: their fields split
// as the quoted-line reader splits them, and the forms of their numbers.
#include "common/fieldgrammar.h"

#include <algorithm>
#include <array>

#include "common/numbers.h"
#include "common/quoted.h"
#include "common/textcheck.h"

namespace kv {
namespace {

// The fields of a line by the quoted-line rules, the first kMaxLineFields of
// them; `formed` is cleared when a field is neither quoted whole (blanks
// around the quotes aside) nor free of quotes.
constexpr std::size_t kMaxLineFields = 64;
using LineFields = std::array<std::string_view, kMaxLineFields>;

std::size_t splitFields(std::string_view s, LineFields& out, bool& formed) {
    formed = true;
    std::size_t n = 0;
    InputReader reader(s);
    for (;;) {
        const InputReader::RawField f = reader.nextRaw();
        formed = formed && f.whole;
        if (n < kMaxLineFields) out[n++] = InputReader::valueOf(f);
        if (f.last) return n;
    }
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isDigits(std::string_view f) {
    return !f.empty() && std::all_of(f.begin(), f.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isNumberText(std::string_view f, LineField::Kind kind) {
    switch (kind) {
        case LineField::Number: return strictNumber(f).has_value();
        case LineField::Whole: return strictInt(f).has_value();
        case LineField::RaceTime:
            return strictNumber(f.substr(0, 1)) && strictNumber(f.size() > 5 ? f.substr(f.size() - 5) : f);
        case LineField::Text:
        case LineField::Present: return true;
        case LineField::Pair: {  // the position up to the first blank, then the popularity's digits
            const std::size_t blank = f.find(' ');
            if (blank == std::string_view::npos || blank > 9 || !strictNumber(f.substr(0, blank))) return false;
            return isDigits(f.substr(blank + 1));
        }
        case LineField::Digits: break;
    }
    return isDigits(f);
}

// Whether a field is empty to a reader that converts it: the conversions
// pass over blanks, so a field of blanks reads as an empty one does.
bool isEmptyFor(std::string_view f, LineField::Kind kind) {
    switch (kind) {
        case LineField::Number:
        case LineField::Whole:
        case LineField::RaceTime: return std::all_of(f.begin(), f.end(), isBlank);
        case LineField::Present: return false;
        default: return f.empty();
    }
}

bool tagMatches(std::string_view first, std::string_view tag) {
    if (tag.back() == '*') return first.substr(0, tag.size() - 1) == tag.substr(0, tag.size() - 1);
    return first == tag;
}

// The first field rule that line number `line` (1-based), split into its n
// fields, breaks; nullptr when none.
const LineField* lineFieldProblem(const LineFields& f, std::size_t n, std::size_t line,
                                  const std::vector<LineField>& rules) {
    for (const LineField& r : rules) {
        if (r.tag.empty() ? r.fromLine != 0 && (line < r.fromLine || line > r.toLine) : !tagMatches(f[0], r.tag))
            continue;
        for (unsigned k = r.first; k <= r.last; ++k) {
            if (k >= n || isEmptyFor(f[k], r.kind)) {
                if (r.emptyOk) continue;
                return &r;
            }
            if (!isNumberText(f[k], r.kind)) return &r;
        }
    }
    return nullptr;
}


// Names the lines of a stretch of bytes that are no text; lines end as the
// quoted-line reader ends them (CR LF, LF or CR). The lines named, in order.
std::vector<std::size_t> nameTextLines(DamageTally& t, std::string_view bytes) {
    std::vector<std::size_t> named;
    std::size_t at = 0, line = 0;
    while (at < bytes.size()) {
        ++line;
        std::size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = bytes.size();
        bool nul = false;
        if (textProblem(bytes.substr(at, end - at), nul)) {
            nul ? t.damaged(line, "NUL バイトが有ります", "NUL bytes inside the line")
                : t.damaged(line, "文字でないバイトが有ります", "bytes that are not CP932 text");
            named.push_back(line);
        }
        if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ++end;
        at = end + 1;
    }
    return named;
}

void nameFieldProblem(DamageTally& t, std::size_t line, const LineField& r) {
    if (r.kind == LineField::Present)
        t.damaged(line, "値が足りません", "the line has fewer values than its reader takes");
    else if (r.kind == LineField::Text)
        t.damaged(line, std::string(r.name) + "が有りません", std::string(r.english) + " is missing");
    else
        t.damaged(line, std::string(r.name) + "が数字ではありません", std::string(r.english) + " is not digits");
}

}  // namespace

void checkStream(DamageTally& t, std::string_view bytes, const RecordLayout& l) {
    bool nul = false;
    const std::vector<std::size_t> textLines =
        l.text && textProblem(bytes, nul) ? nameTextLines(t, bytes) : std::vector<std::size_t>();
    if (!l.fieldForm && l.lineFields.empty() && l.maxLines == 0 && !l.wholeRows && l.minRows == 0) return;
    // The rows as the readers take them: while anything but blanks and line
    // ends is left, a row of fields (the head first), those past the end of
    // the file empty.
    InputReader reader(bytes);
    LineFields fields;
    std::size_t row = 0, line = 1;
    bool cut = false;  // the last row ended with the file before its fields
    long namedBefore = 0;  // what was named before the last row
    while (!reader.atEnd()) {
        ++row;
        namedBefore = t.count();
        const std::size_t width = row == 1 && l.headFields != 0 ? l.headFields : l.rowFields;
        std::size_t n = 0;
        bool formed = true;
        for (std::size_t c = 0; c < width; ++c) {
            if (reader.atEnd()) {
                // A comma last (blanks and line ends aside) is followed by one
                // more field, empty: "f,\r\n" at the end of the file.
                const std::size_t tail = bytes.find_last_not_of(" \t\r\n");
                cut = c + (tail != std::string_view::npos && bytes[tail] == ',' ? 1 : 0) < width;
                break;
            }
            const InputReader::RawField f = reader.nextRaw();
            if (c == 0) line = reader.lineOf(f.bytes.data());
            formed = formed && f.whole;
            if (n < kMaxLineFields) fields[n++] = InputReader::valueOf(f);
        }
        if (std::find(textLines.begin(), textLines.end(), line) != textLines.end()) continue;
        if (l.maxLines != 0 && row > l.maxLines)
            t.damaged(line, "行が多すぎます", "more rows than the table holds");
        else if (l.fieldForm && !formed)
            t.damaged(line, "引用符が対になっていません", "quotes that do not pair");
        else if (const LineField* r = lineFieldProblem(fields, n, row, l.lineFields))
            nameFieldProblem(t, line, *r);
    }
    const std::size_t rows = row - (l.headFields != 0 && row > 0 ? 1 : 0) - (cut ? 1 : 0);  // whole rows after the head
    // A last row already named (a value cut inside its quotes) is not named again.
    if (row > 0 && t.count() > namedBefore) return;
    if (l.minRows != 0 && (rows < l.minRows || (row == 0 && l.headFields != 0)))
        t.damaged(line, "ファイルが値の途中で終わっています", "the file ends before its values");
    else if (l.wholeRows && cut)
        t.damaged(line, "値の数が行に揃っていません", "the values do not make whole rows");
}

void checkLines(DamageTally& t, std::string_view bytes, const RecordLayout& l) {
    LineFields fields;
    std::size_t at = 0, line = 0;
    while (at < bytes.size()) {
        ++line;
        // A line ends as the quoted-line reader ends it: CR LF, LF or CR; the
        // last one may end with the file, as the reader's last value does.
        const auto end = std::min(bytes.find_first_of("\r\n", at), bytes.size());
        const std::string_view s = bytes.substr(at, end - at);
        bool nul = false;
        if (l.maxLines != 0 && line > l.maxLines)
            t.damaged(line, "行が多すぎます", "more lines than the file holds");
        else if (l.text && textProblem(s, nul))
            nul ? t.damaged(line, "NUL バイトが有ります", "NUL bytes inside the line")
                : t.damaged(line, "文字でないバイトが有ります", "bytes that are not CP932 text");
        else if ((l.fieldForm || !l.lineFields.empty()) && !s.empty()) {
            bool formed = true;
            const std::size_t n = splitFields(s, fields, formed);
            if (l.fieldForm && !formed)
                t.damaged(line, "引用符が対になっていません", "quotes that do not pair");
            else if (const LineField* r = lineFieldProblem(fields, n, line, l.lineFields))
                nameFieldProblem(t, line, *r);
        }
        at = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
    }
}

}  // namespace kv
