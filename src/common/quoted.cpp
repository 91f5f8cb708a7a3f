#include "common/quoted.h"

#include <charconv>

#include "common/codec.h"
#include "common/numbers.h"

namespace kv {

QuotedLine& QuotedLine::text(std::string_view utf8) {
    for (unsigned char c : utf8)
        if (c >= 0x80) return textRaw(toCp932(utf8));
    return textRaw(utf8);  // ASCII is the same in CP932
}

QuotedLine& QuotedLine::textRaw(std::string_view cp932) {
    if (items_++) text_.push_back(',');
    text_.push_back('"');
    text_.append(cp932);
    text_.push_back('"');
    return *this;
}

QuotedLine& QuotedLine::absent() {
    if (items_++) text_.push_back(',');
    return *this;
}

QuotedLine& QuotedLine::number(long long v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return bare(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}
QuotedLine& QuotedLine::single(float v) { return bare(formatSingle(v)); }
QuotedLine& QuotedLine::dbl(double v) { return bare(formatDouble(v)); }

QuotedLine& QuotedLine::bare(std::string_view ascii) {
    if (items_++) text_.push_back(',');
    text_.append(ascii);
    return *this;
}

std::string QuotedLine::line() const {
    std::string out;
    out.reserve(text_.size() + 2);
    out.append(text_);
    out.append("\r\n");
    return out;
}

void QuotedLine::appendTo(std::string& out) const {
    out.append(text_);
    out.append("\r\n");
}

std::string QuotedLine::lineUtf8() const { return fromCp932(line()); }

bool InputReader::atEnd() const {
    std::size_t p = pos_;
    while (p < s_.size() && (s_[p] == ' ' || s_[p] == '\t' || s_[p] == '\r' || s_[p] == '\n')) ++p;
    return p >= s_.size();
}

InputReader::RawField InputReader::nextRaw() {
    auto blank = [this](std::size_t p) { return p < s_.size() && (s_[p] == ' ' || s_[p] == '\t'); };
    auto separator = [this](std::size_t p) { return s_[p] == ',' || s_[p] == '\r' || s_[p] == '\n'; };
    RawField f;
    const std::size_t start = pos_;
    while (blank(pos_)) ++pos_;
    if (pos_ < s_.size() && s_[pos_] == '"') {
        f.quoted = true;
        ++pos_;
        std::size_t close = s_.find('"', pos_);
        if (close == std::string_view::npos) {
            close = s_.size();
            f.whole = false;
        }
        f.bytes = s_.substr(pos_, close - pos_);
        pos_ = close < s_.size() ? close + 1 : close;
        // Anything up to the separator is passed over.
        while (blank(pos_)) ++pos_;
        if (pos_ < s_.size() && !separator(pos_)) f.whole = false;
        while (pos_ < s_.size() && !separator(pos_)) ++pos_;
    } else {
        while (pos_ < s_.size() && !separator(pos_)) {
            if (s_[pos_] == '"') f.whole = false;
            ++pos_;
        }
        f.bytes = s_.substr(start, pos_ - start);
    }
    // Consume one separator: a comma, or a line end (CR LF, LF or CR).
    if (pos_ >= s_.size()) {
        f.last = true;
    } else if (s_[pos_] == '\r') {
        ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '\n') ++pos_;
    } else {
        ++pos_;
    }
    return f;
}

std::string_view InputReader::valueOf(const RawField& f) {
    std::string_view v = f.bytes;
    if (!f.quoted) {  // a bare field is trimmed of blanks
        while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
        while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    }
    return v;
}

std::string InputReader::next() { return std::string(valueOf(nextRaw())); }

std::vector<std::string> InputReader::next(std::size_t n) {
    std::vector<std::string> out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) out.push_back(next());
    return out;
}

std::size_t InputReader::lineOf(const char* p) {
    std::size_t to = static_cast<std::size_t>(p - s_.data());
    if (to > s_.size()) to = s_.size();
    if (to < countedTo_) {
        countedTo_ = 0;
        line_ = 1;
    }
    for (std::size_t i = countedTo_; i < to; ++i)
        if (s_[i] == '\n' || (s_[i] == '\r' && (i + 1 >= s_.size() || s_[i + 1] != '\n'))) ++line_;
    countedTo_ = to;
    return line_;
}

std::vector<std::string> splitLines(std::string_view b) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (b[i] == '\r' || b[i] == '\n') {
            lines.emplace_back(b.substr(start, i - start));
            if (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < b.size()) lines.emplace_back(b.substr(start));
    return lines;
}

}  // namespace kv
