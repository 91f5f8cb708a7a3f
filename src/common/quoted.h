// Quoted-value lines and their reading back, field by field.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// Builds one line: text values quoted, an empty text as "", an absent value as
// nothing between the commas, numbers bare. Texts are UTF-8 here; line() gives
// the CP932 bytes ending in CR LF.
class QuotedLine {
public:
    QuotedLine() { text_.reserve(120); }  // most lines fit: built without regrowing
    void clear() { text_.clear(); items_ = 0; }  // starts a new line in the same buffer
    QuotedLine& text(std::string_view utf8);       // "abc" ; empty gives ""
    QuotedLine& textRaw(std::string_view cp932);   // already CP932 bytes
    QuotedLine& absent();                          // nothing between the commas
    QuotedLine& number(long long v);
    QuotedLine& single(float v);                   // formatSingle
    QuotedLine& dbl(double v);                     // formatDouble
    QuotedLine& bare(std::string_view ascii);      // a preformatted bare value
    // Optional text: a value when present, absent() otherwise.
    template <class Opt> QuotedLine& textOpt(const Opt& o) { return o ? text(*o) : absent(); }

    std::string line() const;       // CP932, with CR LF
    void appendTo(std::string& out) const;  // line() added to the end of out
    std::string lineUtf8() const;   // UTF-8, with CR LF (for tests and display)
    bool empty() const { return items_ == 0; }

private:
    std::string text_;              // the items, CP932, quoted as needed, comma-separated
    std::size_t items_ = 0;
};

// Reads fields by the quoted-line rules: a comma or a line end separates fields;
// a quoted field loses its quotes (commas inside quotes belong to the field);
// an unquoted field is trimmed of blanks. Input is raw CP932 bytes; fields are
// returned as raw bytes (decode with fromCp932 when a text is needed).
class InputReader {
public:
    // A field as it stands in the bytes: a quoted one without its quotes, a
    // bare one with the blanks around it. Not whole: a quoted field without
    // its closing quote or with more than blanks after it, a bare field with
    // a quote in it. Last: no separator follows it.
    struct RawField {
        std::string_view bytes;
        bool quoted = false;
        bool whole = true;
        bool last = false;
    };

    explicit InputReader(std::string_view bytes) : s_(bytes) {}
    bool atEnd() const;                 // nothing but line ends / blanks left
    std::string next();                 // next field ("" at the end)
    RawField nextRaw();                 // the next field in place
    // A field as next() gives it: a bare one without the blanks around it.
    static std::string_view valueOf(const RawField& f);
    // Reads n fields (missing ones empty).
    std::vector<std::string> next(std::size_t n);
    // The line (1-based) on which the byte at p stands, p within the bytes
    // read (a field's bytes.data()). Each line end (CR LF, LF or CR) ends a
    // line; asked in increasing order, each byte is looked at once.
    std::size_t lineOf(const char* p);
private:
    std::string_view s_;
    std::size_t pos_ = 0;
    std::size_t countedTo_ = 0;  // the line ends before this offset are counted
    std::size_t line_ = 1;       // the line at countedTo_
};

// Splits text into lines (CR LF, LF or CR), without the line ends; a final
// line without a line end is kept.
std::vector<std::string> splitLines(std::string_view bytes);

}  // namespace kv
