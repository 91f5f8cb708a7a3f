// CP932 <-> UTF-8 conversion and character-based cuts.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kv {

// UTF-8 text to CP932 bytes. Characters with no CP932 form become '?'.
std::string toCp932(std::string_view utf8);

// CP932 bytes to UTF-8 text. NUL bytes become blanks; a lead byte without its
// trail byte (a double-byte character cut at a field's end) and any byte that
// is not valid CP932 become '?'. Never throws.
std::string fromCp932(std::string_view cp932);

// Number of characters (code points) of a UTF-8 text.
std::size_t charCount(std::string_view utf8);
// The first n characters of a UTF-8 text (all of it when shorter).
std::string firstChars(std::string_view utf8, std::size_t n);
// The last n characters of a UTF-8 text (all of it when shorter).
std::string lastChars(std::string_view utf8, std::size_t n);
// Characters [start, start+n) of a UTF-8 text, 0-based, clipped.
std::string midChars(std::string_view utf8, std::size_t start, std::size_t n);

// Byte length of a UTF-8 text once converted to CP932.
std::size_t cp932Length(std::string_view utf8);

}  // namespace kv
