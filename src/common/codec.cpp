#include "common/codec.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

namespace kv {

namespace {

// Converts with iconv; on an invalid or incomplete sequence the offending
// input byte is replaced by `bad` and the conversion goes on.
// A converter of this thread, opened once per direction (opening one takes a
// process-wide lock and a search of the conversion modules); in its initial state.
iconv_t converter(const char* to, const char* from) {
    struct Open {
        std::string to, from;
        iconv_t cd;
    };
    struct Cache {
        std::vector<Open> open;
        ~Cache() {
            for (const Open& o : open) iconv_close(o.cd);
        }
    };
    thread_local Cache cache;
    for (const Open& o : cache.open)
        if (o.to == to && o.from == from) {
            iconv(o.cd, nullptr, nullptr, nullptr, nullptr);
            return o.cd;
        }
    iconv_t cd = iconv_open(to, from);
    if (cd != reinterpret_cast<iconv_t>(-1)) cache.open.push_back(Open{to, from, cd});
    return cd;
}

std::string convert(const char* to, const char* from, std::string_view in, std::size_t badWidth) {
    std::string out;
    if (in.empty()) return out;
    iconv_t cd = converter(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    out.reserve(in.size() * 2 + 4);
    char buf[1024];  // converted piece by piece (E2BIG: the next piece)
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, sizeof buf - dstLeft);
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: skip the bad input (one byte, or one UTF-8 character).
            out.push_back('?');
            std::size_t skip = 1;
            if (badWidth == 0) {  // UTF-8 input: skip the whole character
                unsigned char c = static_cast<unsigned char>(*src);
                skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
                if (skip > srcLeft) skip = srcLeft;
            }
            src += skip;
            srcLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

bool isAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

}  // namespace

std::string toCp932(std::string_view utf8) {
    if (isAscii(utf8)) return std::string(utf8);
    return convert("CP932", "UTF-8", utf8, 0);
}

std::string fromCp932(std::string_view cp932) {
    std::string in(cp932);
    for (char& c : in)
        if (c == '\0') c = ' ';
    if (isAscii(in)) return in;
    return convert("UTF-8", "CP932", in, 1);
}

static bool isCont(unsigned char c) { return (c & 0xC0) == 0x80; }

std::size_t charCount(std::string_view s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if (!isCont(c)) ++n;
    return n;
}

std::string midChars(std::string_view s, std::size_t start, std::size_t n) {
    std::size_t i = 0, idx = 0;
    while (i < s.size() && idx < start) {
        ++i;
        while (i < s.size() && isCont(static_cast<unsigned char>(s[i]))) ++i;
        ++idx;
    }
    std::size_t b = i;
    std::size_t cnt = 0;
    while (i < s.size() && cnt < n) {
        ++i;
        while (i < s.size() && isCont(static_cast<unsigned char>(s[i]))) ++i;
        ++cnt;
    }
    return std::string(s.substr(b, i - b));
}

std::string firstChars(std::string_view s, std::size_t n) { return midChars(s, 0, n); }

std::string lastChars(std::string_view s, std::size_t n) {
    std::size_t total = charCount(s);
    return total <= n ? std::string(s) : midChars(s, total - n, n);
}

std::size_t cp932Length(std::string_view utf8) { return toCp932(utf8).size(); }

}  // namespace kv
