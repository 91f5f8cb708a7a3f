// Fixed-width byte fields inside raw records. Records stay CP932 bytes; a field
// is a byte range. Setting a field left-justifies the value, pads it with blanks
// and cuts it at the width, byte for byte. Reading never goes past the record.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// A field of a fixed layout: 0-based byte offset and width in bytes.
struct Field {
    std::size_t off;
    std::size_t len;
    constexpr std::size_t end() const { return off + len; }
};

// The raw bytes of a field; missing bytes of a short record read as blanks.
std::string getField(std::string_view rec, Field f);
std::string getField(std::string_view rec, std::size_t off, std::size_t len);
// The field's bytes in place, for complete records: bytes a short record lacks
// are left out (not blanks), so compare only fields of whole records this way.
inline std::string_view fieldView(std::string_view rec, Field f) {
    if (f.off >= rec.size()) return {};
    return rec.substr(f.off, f.len);
}

// Writes value (raw CP932 bytes) into the field: left-justified, blank-padded,
// cut at the width. The record is grown with blanks if it is too short.
void setField(std::string& rec, Field f, std::string_view value);
void setField(std::string& rec, std::size_t off, std::size_t len, std::string_view value);

// As setField, with a UTF-8 text converted to CP932 first.
void setFieldText(std::string& rec, Field f, std::string_view utf8);
// The field decoded to UTF-8 (NUL bytes as blanks).
std::string getFieldText(std::string_view rec, Field f);

// Single-precision values stored as 4-byte little-endian IEEE numbers.
float getSingle(std::string_view rec, std::size_t off);
void setSingle(std::string& rec, std::size_t off, float v);
// 16- and 32-bit little-endian integers.
std::int16_t getInt16(std::string_view rec, std::size_t off);
void setInt16(std::string& rec, std::size_t off, std::int16_t v);
std::int32_t getInt32(std::string_view rec, std::size_t off);
void setInt32(std::string& rec, std::size_t off, std::int32_t v);

// Pads (with blanks) or cuts a record to exactly len bytes.
std::string fitRecord(std::string_view raw, std::size_t len);

// Right-justifies digits: the decimal text of v zero-padded to width; when it is
// longer only the last `width` digits are kept.
std::string zeroPad(long long v, std::size_t width);

}  // namespace kv
