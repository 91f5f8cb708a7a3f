#include "common/recordcheck.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif
#include <deque>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "common/appfolder.h"
#include "common/codec.h"
#include "common/codetable.h"
#include "common/exrecord.h"
#include "common/fsys.h"
#include "common/quoted.h"

namespace kv {
namespace {

struct Entry {
    std::string folder;  // empty: any folder
    std::string name;  // the file name, or its end when `suffix`
    bool suffix = false;
    RecordLayout layout;
};

Entry parse(const std::string& pattern) {
    Entry e;
    std::string rest = pattern;
    const auto slash = rest.rfind('/');
    if (slash != std::string::npos) {
        e.folder = rest.substr(0, slash);
        rest = rest.substr(slash + 1);
    }
    if (!rest.empty() && rest.front() == '*') {
        e.suffix = true;
        rest.erase(0, 1);
    }
    e.name = rest;
    return e;
}

std::mutex gMu;
unsigned gVersion = 0;  // counts the registrations that added an entry

// The program's own files whose layouts live here; the week's record files
// are registered by their layouts (acquisition/jvdata).
std::vector<Entry> ownFiles() {
    std::vector<Entry> out;
    auto add = [&out](const std::string& pattern, RecordLayout l) {
        Entry e = parse(pattern);
        e.layout = std::move(l);
        out.push_back(std::move(e));
    };
    // Expanded run records: the identity members are text, the rest holds Singles.
    RecordLayout ex;
    ex.length = exrec::kLength;
    ex.crlf = true;
    ex.digits = {{exrec::RaceId, "レースキー", "race key"},
                 {exrec::Umaban, "馬番", "horse number"},
                 {exrec::KettoNum, "血統登録番号", "registration number"}};
    ex.action = "⑤計算をやり直して下さい。";
    add(std::string(dirs::UMAGOTOEX) + "/*" + suffix::EX, ex);
    // The lists of registration numbers, one quoted number a line (a number
    // listed again is passed over and noted by the lists' reader).
    RecordLayout list;
    list.length = 14;
    list.crlf = true;
    list.text = true;
    list.digits = {{Field{1, 10}, "登録番号", "registration number"}};
    list.action = "②構造・中止処理をやり直して下さい。";
    add(files::KETTONUM_LIST, list);
    add(files::HAHA_LIST, list);
    // Text files of lines.
    RecordLayout lines;
    lines.text = true;
    // Quoted-value files, never written empty.
    RecordLayout fields = lines;
    fields.fieldForm = true;
    fields.needsRecords = true;
    // The code table: one stream of fields, eight a row, each row starting
    // with its table's number; the rows past those the table holds are never
    // read.
    RecordLayout codes = fields;
    codes.rowFields = CodeTable::kCols;
    codes.maxLines = CodeTable::kRows;
    codes.lineFields = {{"", 0, 0, 0, 0, LineField::Digits, false, "表番号", "table number"}};
    codes.action = "JRACODE フォルダの CodeTable.csv を入れ直して下さい。";
    add(files::CODE_TABLE, codes);
    // The day files of the results, as their writers lay them out: a day
    // header ("2025年", "11月", "08日", "5回", course, "3日目") first.
    fields.action = "⑥予想・結果をやり直して下さい。";
    const LineField dayHeader[] = {{"", 1, 1, 0, 3, LineField::Counted, false, "日付", "date"},
                                   {"", 1, 1, 5, 5, LineField::Counted, false, "日次", "day number"}};
    // Then four lines a race (as many races as the day's payouts hold; the
    // lines past those the hit list shows are not read): the payouts are
    // digits or empty, the combinations and the ranks numbers.
    RecordLayout hits = fields;
    hits.lineFields = {dayHeader[0],
                       dayHeader[1],
                       {toCp932("    配当"), 0, 0, 1, 7, LineField::Digits, true, "配当", "payout"},
                       {toCp932("    当目"), 0, 0, 1, 7, LineField::Combination, true, "組番", "combination"},
                       {toCp932("    予人"), 0, 0, 1, 7, LineField::Pair, true, "予想順と人気", "rank and favour"}};
    add(std::string(dirs::TEKICHU) + "/*" + suffix::TEKICHU, hits);
    RecordLayout rates = fields;  // then two lines of titles and six rates for each of six bet kinds
    rates.maxLines = 9;
    rates.lineFields = {dayHeader[0], dayHeader[1], {"", 4, 9, 1, 6, LineField::Number, true, "率", "rate"}};
    add(std::string(dirs::TEKICHU) + "/*" + suffix::KAITEKI, rates);
    // Lines tagged by their first field; the start time and the distance of
    // a race are its record's text as delivered, blanks included.
    RecordLayout races = fields;
    races.lineFields = {
        {"DY", 0, 0, 2, 2, LineField::Digits, false, "日付", "date"},
        {"PL", 0, 0, 2, 2, LineField::Digits, false, "回次", "meeting number"},
        {"PL", 0, 0, 4, 4, LineField::Digits, false, "日次", "day number"},
        {"RC", 0, 0, 1, 1, LineField::Digits, false, "レース番号", "race number"},
        {"RC", 0, 0, 3, 3, LineField::Digits, false, "レース番号", "race number"},
        {"HS", 0, 0, 1, 1, LineField::Digits, false, "順位", "rank"},
        {"HS", 0, 0, 3, 3, LineField::Padded, false, "馬番", "horse number"},
        {"HS", 0, 0, 4, 4, LineField::Padded, false, "予想順位", "predicted rank"},
        {"Q1", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"Q2", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"Q3", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"Q4", 0, 0, 1, 5, LineField::Padded, true, "馬番", "horse number"},
        {"AT", 0, 0, 1, 2, LineField::Digits, false, "的中番号", "hit number"},
        {"AT", 0, 0, 4, 4, LineField::Combination, false, "組番", "combination"},
        {"AT", 0, 0, 5, 5, LineField::Digits, true, "配当", "payout"},
        {"MS*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"MS*", 0, 0, 2, 2, LineField::Combination, false, "組番", "combination"},
        {"MU*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"MU*", 0, 0, 2, 2, LineField::Combination, false, "組番", "combination"},
        {"PS*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"PS*", 0, 0, 2, 8, LineField::Combination, true, "組番", "combination"},
        {"PU*", 0, 0, 1, 1, LineField::Digits, false, "点数", "count"},
        {"PU*", 0, 0, 2, 4, LineField::Combination, true, "組番", "combination"},
        {"KK", 0, 0, 1, 1, LineField::Digits, false, "券種番号", "bet kind number"},
        {"KS", 0, 0, 1, 1, LineField::Digits, false, "券種番号", "bet kind number"},
    };
    add(std::string(dirs::TEKICHU) + "/*" + suffix::LUP_RCM, races);
    // The factor weight tables and their item categories: streams of values
    // whose number the totals give; their reader checks the values it takes.
    RecordLayout tables = lines;
    tables.rowFields = 1;
    tables.action = "予想因子ウエイトを展開し直して下さい。";
    add(std::string(dirs::OPTION1N) + "/*" + option1n::WEIGHT_END, tables);
    return out;
}

std::deque<Entry>& entries() {
    // A deque: a layout handed out stays where it is while others are added.
    static std::deque<Entry> e = [] {
        std::vector<Entry> own = ownFiles();
        return std::deque<Entry>(own.begin(), own.end());
    }();
    return e;
}

bool endsWith(std::string_view s, std::string_view end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

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

bool isNumberText(std::string_view f, LineField::Kind kind) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < f.size() && f[i] >= '0' && f[i] <= '9') ++i;
        return i > from;
    };
    if (kind == LineField::Combination) {  // each horse number in two characters, " 7" or "12"
        auto digit = [&f](std::size_t at) { return f[at] >= '0' && f[at] <= '9'; };
        for (;;) {
            if (i + 2 > f.size() || !(f[i] == ' ' || digit(i)) || !digit(i + 1)) return false;
            i += 2;
            if (i == f.size()) return true;
            if (f[i] == '-')
                ++i;
            else if (f.substr(i, 2) == "\x81\xA8")  // the arrow of an ordered combination
                i += 2;
            else
                return false;
        }
    }
    if (kind == LineField::Padded)
        while (i < f.size() && f[i] == ' ') ++i;
    if (kind == LineField::Number && i < f.size() && f[i] == '-') ++i;
    const bool whole = digits();
    if (kind == LineField::Number && i < f.size() && f[i] == '.') {  // ".5" as well as "0.5"
        ++i;
        if (!digits()) return false;
    } else if (!whole) {
        return false;
    }
    if (kind == LineField::Pair) {
        if (i == f.size() || f[i] != ' ') return false;
        ++i;
        if (!digits()) return false;
    }
    if (kind == LineField::Counted) {  // the unit: characters that are not ASCII
        const std::size_t unit = i;
        while (i < f.size() && static_cast<unsigned char>(f[i]) >= 0x80) {
            const std::size_t n = cp932Char(f, i);
            if (n == 0) return false;
            i += n;
        }
        if (i == unit) return false;
    }
    return i == f.size();
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
            if (k >= n || f[k].empty()) {
                if (r.emptyOk) continue;
                return &r;
            }
            if (!isNumberText(f[k], r.kind)) return &r;
        }
    }
    return nullptr;
}

}  // namespace

void useNarrowTextCheck(bool narrow) {
#if defined(__SSE2__)
    gKindsOf = narrow ? byteKinds : bestByteKinds();
#endif
}

bool isCp932Text(std::string_view bytes) {
    bool nul = false;
    return !textProblem(bytes, nul);
}

void registerRecordLayout(const std::string& pattern, RecordLayout layout) {
    Entry e = parse(pattern);
    e.layout = std::move(layout);
    std::lock_guard<std::mutex> lock(gMu);
    for (auto& old : entries())
        if (old.folder == e.folder && old.name == e.name && old.suffix == e.suffix) {
            old.layout = std::move(e.layout);
            return;
        }
    entries().push_back(std::move(e));
    ++gVersion;
}

namespace {

struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Where to look for a file name: the entries of each whole name and those of
// name endings, in the order of the entries (the first that matches wins).
struct Index {
    std::unordered_map<std::string, std::vector<std::size_t>, NameHash, std::equal_to<>> byName;
    std::vector<std::size_t> bySuffix;
};

// Called with gMu held.
const Index& index() {
    static Index ix;
    static unsigned version = ~0u;
    if (version != gVersion) {
        ix = Index();
        std::size_t i = 0;
        for (const auto& e : entries()) {
            if (e.suffix)
                ix.bySuffix.push_back(i);
            else
                ix.byName[e.name].push_back(i);
            ++i;
        }
        version = gVersion;
    }
    return ix;
}

}  // namespace

const RecordLayout* recordLayoutFor(std::string_view path) {
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::string_view folder;
    if (slash != std::string_view::npos) {
        folder = path.substr(0, slash);
        const auto up = folder.rfind('/');
        if (up != std::string_view::npos) folder = folder.substr(up + 1);
    }
    std::lock_guard<std::mutex> lock(gMu);
    const Index& ix = index();
    const auto& all = entries();  // entries are never removed nor moved
    std::size_t best = all.size();
    if (auto it = ix.byName.find(name); it != ix.byName.end())
        for (std::size_t i : it->second)
            if (all[i].folder.empty() || all[i].folder == folder) {
                best = i;
                break;
            }
    for (std::size_t i : ix.bySuffix) {
        if (i >= best) break;
        const Entry& e = all[i];
        if ((e.folder.empty() || e.folder == folder) && endsWith(name, e.name)) {
            best = i;
            break;
        }
    }
    return best < all.size() ? &all[best].layout : nullptr;
}

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
        if (d.field.end() <= size && !allDigits(std::string_view(p + d.field.off, d.field.len)))
            return {RecordFault::Digits, &d};
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

namespace {

// A file of one stream of fields in rows of l.rowFields (RecordLayout::rowFields).
void checkStream(DamageTally& t, std::string_view bytes, const RecordLayout& l) {
    // The text, line by line where the whole is not text; lines end as the
    // field reader ends them (CR LF, LF or CR).
    std::vector<std::size_t> textLines;
    bool nul = false;
    if (l.text && textProblem(bytes, nul)) {
        std::size_t at = 0, line = 0;
        while (at < bytes.size()) {
            ++line;
            std::size_t end = bytes.find_first_of("\r\n", at);
            if (end == std::string_view::npos) end = bytes.size();
            nul = false;
            if (textProblem(bytes.substr(at, end - at), nul)) {
                nul ? t.damaged(line, "NUL バイトが有ります", "NUL bytes inside the line")
                    : t.damaged(line, "文字でないバイトが有ります", "bytes that are not CP932 text");
                textLines.push_back(line);
            }
            if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ++end;
            at = end + 1;
        }
    }
    if (!l.fieldForm && l.lineFields.empty() && l.maxLines == 0) return;
    // The rows as the readers take them: while anything but blanks and line
    // ends is left, rowFields fields, those past the end of the file empty.
    InputReader reader(bytes);
    LineFields fields;
    for (std::size_t row = 1; !reader.atEnd(); ++row) {
        std::size_t n = 0, line = 0;
        bool formed = true;
        for (std::size_t c = 0; c < l.rowFields && !reader.atEnd(); ++c) {
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
            t.damaged(line, std::string(r->name) + "が数字ではありません", std::string(r->english) + " is not digits");
    }
}

}  // namespace

void checkFileBytes(const std::string& path, std::string_view bytes, const RecordLayout& l) {
    DamageTally t(path, l.length);
    t.layout_ = &l;
    if (bytes.empty()) {
        if (l.needsRecords) t.damaged(0, "ファイルが空です", "the file is empty");
        return t.note();
    }
    if (l.length == 0 && l.rowFields != 0) {
        checkStream(t, bytes, l);
        return t.note();
    }
    if (l.length == 0) {  // lines
        LineFields fields;
        std::size_t at = 0, line = 0;
        while (at < bytes.size()) {
            ++line;
            const auto nl = bytes.find('\n', at);
            if (nl == std::string_view::npos) {
                t.damaged(line, "ファイルが行の途中で終わっています", "the file ends inside the line");
                break;
            }
            std::string_view s = bytes.substr(at, nl - at);
            if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
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
                    t.damaged(line, std::string(r->name) + "が数字ではありません",
                              std::string(r->english) + " is not digits");
            }
            at = nl + 1;
        }
        return t.note();
    }
    const std::size_t n = bytes.size() / l.length;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view rec(bytes.data() + i * l.length, l.length);
        if (recordFault(l, rec).kind != RecordFault::None) t.check(i + 1, rec);
    }
    t.checkLength(static_cast<long long>(bytes.size()));
    t.note();
}

void checkFileBytes(const std::string& path, std::string_view bytes) {
    if (const RecordLayout* l = recordLayoutFor(path)) checkFileBytes(path, bytes, *l);
}

void checkRecordFile(const std::string& path, std::string_view bytes, std::size_t recLen) {
    if (const RecordLayout* l = recordLayoutFor(path); l && l->length == recLen) return;  // checked as read
    DamageTally t(path, recLen);
    t.checkLength(static_cast<long long>(bytes.size()));
    t.note();
}

}  // namespace kv
