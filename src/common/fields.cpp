#include "common/fields.h"

#include <cstring>

#include "common/codec.h"

namespace kv {

std::string getField(std::string_view rec, std::size_t off, std::size_t len) {
    std::string out(len, ' ');
    if (off < rec.size()) {
        std::size_t n = std::min(len, rec.size() - off);
        std::memcpy(out.data(), rec.data() + off, n);
    }
    return out;
}

std::string getField(std::string_view rec, Field f) { return getField(rec, f.off, f.len); }

void setField(std::string& rec, std::size_t off, std::size_t len, std::string_view value) {
    if (rec.size() < off + len) rec.resize(off + len, ' ');
    std::size_t n = std::min(len, value.size());
    std::memcpy(rec.data() + off, value.data(), n);
    std::memset(rec.data() + off + n, ' ', len - n);
}

void setField(std::string& rec, Field f, std::string_view value) { setField(rec, f.off, f.len, value); }

void setFieldText(std::string& rec, Field f, std::string_view utf8) { setField(rec, f, toCp932(utf8)); }

std::string getFieldText(std::string_view rec, Field f) { return fromCp932(getField(rec, f)); }

namespace {
template <class T>
T getLe(std::string_view rec, std::size_t off) {
    unsigned char b[sizeof(T)] = {};
    for (std::size_t i = 0; i < sizeof(T); ++i)
        if (off + i < rec.size()) b[i] = static_cast<unsigned char>(rec[off + i]);
    T v;
    std::memcpy(&v, b, sizeof(T));  // little-endian host
    return v;
}
template <class T>
void setLe(std::string& rec, std::size_t off, T v) {
    if (rec.size() < off + sizeof(T)) rec.resize(off + sizeof(T), ' ');
    std::memcpy(rec.data() + off, &v, sizeof(T));
}
}  // namespace

float getSingle(std::string_view rec, std::size_t off) { return getLe<float>(rec, off); }
void setSingle(std::string& rec, std::size_t off, float v) { setLe(rec, off, v); }
std::int16_t getInt16(std::string_view rec, std::size_t off) { return getLe<std::int16_t>(rec, off); }
void setInt16(std::string& rec, std::size_t off, std::int16_t v) { setLe(rec, off, v); }
std::int32_t getInt32(std::string_view rec, std::size_t off) { return getLe<std::int32_t>(rec, off); }
void setInt32(std::string& rec, std::size_t off, std::int32_t v) { setLe(rec, off, v); }

std::string fitRecord(std::string_view raw, std::size_t len) {
    std::string out(raw.substr(0, std::min(raw.size(), len)));
    out.resize(len, ' ');
    return out;
}

std::string zeroPad(long long v, std::size_t width) {
    bool neg = v < 0;
    unsigned long long u = neg ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    std::string digits = std::to_string(u);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    if (digits.size() > width) digits = digits.substr(digits.size() - width);
    if (neg && !digits.empty()) digits[0] = '-';
    return digits;
}

}  // namespace kv
