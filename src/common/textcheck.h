// Whether bytes are text of the code page (CP932) without NUL bytes.
#pragma once
#include <cstddef>
#include <string_view>

namespace kv {

// True when the bytes are CP932 text without NUL bytes.
bool isCp932Text(std::string_view bytes);
// Whether a stretch holds a byte that is no CP932 text; nul is set when the
// first such byte is a NUL byte.
bool textProblem(std::string_view s, bool& nul);
// Text is checked with the widest registers the processor has; tests check
// the narrow way too (every x86-64 processor has it).
void useNarrowTextCheck(bool narrow);

// Length of the CP932 character at s[i] (1 or 2), 0 when the bytes there are no character.
inline std::size_t cp932Char(std::string_view s, std::size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return c == 0 ? 0 : 1;
    if (c >= 0xA1 && c <= 0xDF) return 1;  // half-width kana
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
        if (i + 1 >= s.size()) return 0;
        const auto t = static_cast<unsigned char>(s[i + 1]);
        return (t >= 0x40 && t <= 0xFC && t != 0x7F) ? 2 : 0;
    }
    return 0;
}

}  // namespace kv
