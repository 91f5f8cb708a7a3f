// The damaged records of one file, counted as they are met, and the note
// that names them.
#include "common/damagetally.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "common/fsys.h"
#include "common/textcheck.h"

namespace kv {
namespace {

bool allDigits(std::string_view s) {
    std::size_t i = 0;
    // Eight bytes at a time: each has 3 as its high nibble and at most 9 as its low one.
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if ((w & 0xF0F0F0F0F0F0F0F0ULL) != 0x3030303030303030ULL ||
            (((w & 0x0F0F0F0F0F0F0F0FULL) + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL) != 0)
            return false;
    }
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}


}  // namespace

DamageTally::DamageTally(const std::string& path, std::size_t recLen)
    : path_(path), layout_(recordLayoutFor(path)), len_(recLen) {
    if (layout_ && layout_->length != recLen) layout_ = nullptr;  // read as another layout: its length only
}

void DamageTally::damaged(std::size_t n, std::string what, std::string english) {
    ++count_;
    if (first_ == 0 || n < first_) {
        first_ = n;
        what_ = std::move(what);
        english_ = std::move(english);
    }
}

DamageTally::DamageTally(const std::string& path, const RecordLayout& layout)
    : path_(path), layout_(&layout), len_(layout.length) {}

namespace {

// What is first wrong with a record against its layout, and its length
// when `length` is not 0; told without building a text (the common case is
// a whole record).
struct RecordFault {
    enum Kind { None, Length, CrLf, Digits, Nul, NotText } kind = None;
    const DigitField* digits = nullptr;  // the field, for Digits
};

inline RecordFault recordFault(const RecordLayout& l, std::string_view rec, std::size_t length = 0) {
    const char* p = rec.data();
    const std::size_t size = rec.size();
    if (length != 0 && size != length) return {RecordFault::Length};
    if (l.crlf && (size < 2 || p[size - 2] != '\r' || p[size - 1] != '\n')) return {RecordFault::CrLf};
    for (const auto& d : l.digits)
        if (d.field.end() <= size) {
            const std::string_view v(p + d.field.off, d.field.len);
            if (d.takes ? !d.takes(v) : !allDigits(v)) return {RecordFault::Digits, &d};
        }
    if (l.nulFree && std::memchr(p, '\0', size) != nullptr) return {RecordFault::Nul};
    bool nul = false;
    if (l.text && textProblem(std::string_view(p, l.crlf ? size - 2 : size), nul))
        return {nul ? RecordFault::Nul : RecordFault::NotText};
    return {};
}

// The fault in words, Japanese and English.
std::pair<std::string, std::string> faultText(const RecordFault& f, std::size_t length, std::size_t size) {
    switch (f.kind) {
        case RecordFault::Length:
            return {"長さが " + std::to_string(length) + " バイトでなく " + std::to_string(size) + " バイトです",
                    "the record is " + std::to_string(size) + " bytes long, not " + std::to_string(length)};
        case RecordFault::CrLf: return {"レコードの終わり（CR LF）が有りません", "the record does not end in CR LF"};
        case RecordFault::Digits:
            return {std::string(f.digits->name) + "が数字ではありません",
                    std::string(f.digits->english) + " is not digits"};
        case RecordFault::Nul: return {"NUL バイトが有ります", "NUL bytes inside the record"};
        case RecordFault::NotText: return {"文字でないバイトが有ります", "bytes that are not CP932 text"};
        case RecordFault::None: break;
    }
    return {};
}

}  // namespace

void DamageTally::check(std::size_t n, std::string_view rec) {
    if (!layout_) return;
    const RecordFault f = recordFault(*layout_, rec);
    if (f.kind == RecordFault::None) return;
    auto [what, english] = faultText(f, 0, rec.size());
    damaged(n, std::move(what), std::move(english));
}

void DamageTally::checkAs(std::size_t n, std::string_view rec, const RecordLayout& layout, std::size_t length,
                          std::string_view kind) {
    const RecordFault f = recordFault(layout, rec, length);
    if (f.kind == RecordFault::None) return;
    const auto [what, english] = faultText(f, length, rec.size());
    damaged(n, std::string(kind) + " レコード、" + what, std::string(kind) + " record: " + english);
}

void DamageTally::checkLength(long long bytes) {
    if (len_ == 0 || bytes <= 0) return;
    const auto whole = static_cast<std::size_t>(bytes) / len_;
    if (static_cast<std::size_t>(bytes) % len_ != 0)
        damaged(whole + 1, "ファイルがレコードの途中で終わっています", "the file ends inside the record");
}

void DamageTally::add(const DamageTally& o) {
    if (o.count_ == 0) return;
    count_ += o.count_ - 1;
    damaged(o.first_, o.what_, o.english_);
}

void DamageTally::note() const {
    if (count_ == 0) return;
    DamagedFile d;
    d.path = path_;
    d.records = count_;
    d.first = first_;
    d.what = what_;
    d.whatEnglish = english_;
    if (layout_) {
        d.action = layout_->action;
        d.lines = layout_->length == 0;
    }
    noteDamaged(d);
}

}  // namespace kv
