// Whether bytes are CP932 text: a block of bytes at a time with the widest
// registers the processor has, character by character only where a block
// holds a fault.
#include "common/textcheck.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace kv {
namespace {

#if defined(__SSE2__)
// Bytes of x from lo to hi (unsigned), as a byte mask.
inline __m128i inRange(__m128i x, unsigned char lo, unsigned char hi) {
    const __m128i d = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(lo)));
    return _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(static_cast<char>(hi - lo))), d);
}

inline std::uint64_t bits(__m128i m, int at) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m))) << at;
}

// What each of sixty-four bytes can be, a bit a byte.
struct ByteKinds {
    std::uint64_t lead = 0;  // in the lead byte ranges (0x81 to 0x9F, 0xE0 to 0xFC)
    std::uint64_t badFree = 0;  // no character on its own: NUL, 0x80, 0xA0, 0xFD to 0xFF
    std::uint64_t badTrail = 0;  // no trail byte: below 0x40, 0x7F, 0xFD to 0xFF
};

// The kinds of the sixty-four bytes at p. Unless `always`, false when they
// are plain ASCII without NUL bytes, and nothing is filled in.
bool byteKinds(const char* p, ByteKinds& k, bool always) {
    __m128i x[4];
    __m128i odd = _mm_setzero_si128();
    for (int i = 0; i < 4; ++i) {
        x[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        odd = _mm_or_si128(odd, _mm_or_si128(x[i], _mm_cmpeq_epi8(x[i], _mm_setzero_si128())));
    }
    if (!always && _mm_movemask_epi8(odd) == 0) return false;
    for (int i = 0; i < 4; ++i) {
        const __m128i v = x[i];
        const __m128i top = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(static_cast<char>(0xFD))), v);
        k.lead |= bits(_mm_or_si128(inRange(v, 0x81, 0x9F), inRange(v, 0xE0, 0xFC)), 16 * i);
        k.badFree |= bits(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_setzero_si128()), top),
                                       _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0x80))),
                                                    _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xA0))))),
                          16 * i);
        k.badTrail |= bits(
            _mm_or_si128(_mm_or_si128(inRange(v, 0x00, 0x3F), top), _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F))), 16 * i);
    }
    return true;
}

#if defined(__GNUC__) && defined(__x86_64__)
#define KV_TEXT_AVX2 1
// The same with 32-byte registers, where the processor has them. Each byte
// is sorted by a table of its high nibble and one of its low nibble: a bit
// of the table stands for a rectangle of high and low nibbles,
//   1 8x1-F  2 9x,Ex  4 Fx0-C (lead bytes)   8 0x0,8x0,Ax0 (no character)
//   16 FxD-F (neither)   32 0x-3x (no trail)   64 7xF (no trail).
__attribute__((target("avx2"))) bool byteKindsAvx2(const char* p, ByteKinds& k, bool always) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    if (!always) {
        const __m256i zero = _mm256_setzero_si256();
        const __m256i odd = _mm256_or_si256(_mm256_or_si256(a, b),
                                            _mm256_or_si256(_mm256_cmpeq_epi8(a, zero), _mm256_cmpeq_epi8(b, zero)));
        if (_mm256_movemask_epi8(odd) == 0) return false;
    }
    const __m256i high = _mm256_setr_epi8(40, 32, 32, 32, 0, 0, 0, 64, 9, 2, 8, 0, 0, 0, 2, 20,  //
                                          40, 32, 32, 32, 0, 0, 0, 64, 9, 2, 8, 0, 0, 0, 2, 20);
    const __m256i low = _mm256_setr_epi8(46, 39, 39, 39, 39, 39, 39, 39, 39, 39, 39, 39, 39, 51, 51, 115,  //
                                         46, 39, 39, 39, 39, 39, 39, 39, 39, 39, 39, 39, 39, 51, 51, 115);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ka = _mm256_and_si256(_mm256_shuffle_epi8(high, _mm256_and_si256(_mm256_srli_epi16(a, 4), nibble)),
                                        _mm256_shuffle_epi8(low, _mm256_and_si256(a, nibble)));
    const __m256i kb = _mm256_and_si256(_mm256_shuffle_epi8(high, _mm256_and_si256(_mm256_srli_epi16(b, 4), nibble)),
                                        _mm256_shuffle_epi8(low, _mm256_and_si256(b, nibble)));
    // The bytes with none of the kinds of `mask`, a bit a byte.
#define KV_NONE_OF(v, mask)                           \
    static_cast<std::uint64_t>(static_cast<unsigned>( \
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(v, _mm256_set1_epi8(mask)), zero))))
    k.lead = ~(KV_NONE_OF(ka, 1 | 2 | 4) | KV_NONE_OF(kb, 1 | 2 | 4) << 32);
    k.badFree = ~(KV_NONE_OF(ka, 8 | 16) | KV_NONE_OF(kb, 8 | 16) << 32);
    k.badTrail = ~(KV_NONE_OF(ka, 16 | 32 | 64) | KV_NONE_OF(kb, 16 | 32 | 64) << 32);
#undef KV_NONE_OF
    return true;
}
#endif

using KindsFn = bool (*)(const char*, ByteKinds&, bool);

KindsFn bestByteKinds() {
#if defined(KV_TEXT_AVX2)
    if (__builtin_cpu_supports("avx2")) return byteKindsAvx2;
#endif
    return byteKinds;
}

std::atomic<KindsFn> gKindsOf{bestByteKinds()};

// Whether a stretch of at least sixty-four bytes is CP932 text, a block of
// sixty-four bytes at a time. A byte in the lead byte ranges leads a
// character when it starts a run of such bytes or follows the trail byte of
// one: in such a run every other byte leads, and after a run of odd length
// the next byte is a trail byte. So the places of the trail bytes after the
// runs are found by carries, without walking the characters (as odd runs of
// escape characters are found in fast parsers).
bool isLongTextFast(std::string_view s) {
    constexpr std::uint64_t kEven = 0x5555555555555555ULL;
    const KindsFn kindsOf = gKindsOf.load(std::memory_order_relaxed);
    std::uint64_t oddBefore = 0;  // the block before ended inside a run of odd length
    const std::size_t n = s.size();
    for (std::size_t at = 0; at < n; at += 64) {
        ByteKinds k;
        std::uint64_t inside = ~0ULL;
        if (n - at >= 64) {
            if (!kindsOf(s.data() + at, k, oddBefore != 0)) continue;
        } else {
            // The last bytes: the last sixty-four of the stretch, moved down
            // to their places; past the end no byte can trail.
            const unsigned rest = static_cast<unsigned>(n - at);
            kindsOf(s.data() + n - 64, k, true);
            k.lead >>= 64 - rest;
            k.badFree >>= 64 - rest;
            k.badTrail >>= 64 - rest;
            inside = (1ULL << rest) - 1;
            k.badTrail |= ~inside;
        }
        const std::uint64_t starts = k.lead & ~(k.lead << 1);
        const std::uint64_t evenStartMask = kEven ^ oddBefore;
        const std::uint64_t evenCarries = k.lead + (starts & evenStartMask);
        std::uint64_t oddCarries;
        const bool endsOdd = __builtin_add_overflow(k.lead, starts & ~evenStartMask, &oddCarries);
        oddCarries |= oddBefore;
        oddBefore = endsOdd ? 1 : 0;
        const std::uint64_t trails = (evenCarries & ~k.lead & ~kEven) | (oddCarries & ~k.lead & kEven);
        if ((trails & k.badTrail) | (~trails & ~k.lead & k.badFree & inside)) return false;
    }
    return oddBefore == 0;  // a lead byte at the very end has no trail byte
}
#endif

}  // namespace

// Whether a text stretch holds a byte that is no CP932 text; nul is set when
// the first such byte is a NUL byte. Text is checked a block at a time; only
// a stretch with a fault is walked character by character to find it.
bool textProblem(std::string_view s, bool& nul) {
#if defined(__SSE2__)
    if (s.size() >= 64 && isLongTextFast(s)) return false;
#endif
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t n = cp932Char(s, i);
        if (n == 0) {
            nul = s[i] == '\0';
            return true;
        }
        i += n;
    }
    return false;
}

void useNarrowTextCheck(bool narrow) {
#if defined(__SSE2__)
    gKindsOf = narrow ? byteKinds : bestByteKinds();
#endif
}

bool isCp932Text(std::string_view bytes) {
    bool nul = false;
    return !textProblem(bytes, nul);
}

}  // namespace kv
