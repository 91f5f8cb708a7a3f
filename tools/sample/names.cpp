#include "names.h"

#include <array>

namespace kvsample {

namespace {

struct Syl { const char* full; const char* half; const char* latin; };

constexpr std::array<Syl, 58> kSyl = {{
    {"ア", "ｱ", "A"},   {"イ", "ｲ", "I"},   {"ウ", "ｳ", "U"},   {"エ", "ｴ", "E"},   {"オ", "ｵ", "O"},
    {"カ", "ｶ", "KA"},  {"キ", "ｷ", "KI"},  {"ク", "ｸ", "KU"},  {"ケ", "ｹ", "KE"},  {"コ", "ｺ", "KO"},
    {"サ", "ｻ", "SA"},  {"シ", "ｼ", "SHI"}, {"ス", "ｽ", "SU"},  {"セ", "ｾ", "SE"},  {"ソ", "ｿ", "SO"},
    {"タ", "ﾀ", "TA"},  {"チ", "ﾁ", "CHI"}, {"ツ", "ﾂ", "TSU"}, {"テ", "ﾃ", "TE"},  {"ト", "ﾄ", "TO"},
    {"ナ", "ﾅ", "NA"},  {"ニ", "ﾆ", "NI"},  {"ヌ", "ﾇ", "NU"},  {"ネ", "ﾈ", "NE"},  {"ノ", "ﾉ", "NO"},
    {"ハ", "ﾊ", "HA"},  {"ヒ", "ﾋ", "HI"},  {"フ", "ﾌ", "FU"},  {"ヘ", "ﾍ", "HE"},  {"ホ", "ﾎ", "HO"},
    {"マ", "ﾏ", "MA"},  {"ミ", "ﾐ", "MI"},  {"ム", "ﾑ", "MU"},  {"メ", "ﾒ", "ME"},  {"モ", "ﾓ", "MO"},
    {"ヤ", "ﾔ", "YA"},  {"ユ", "ﾕ", "YU"},  {"ヨ", "ﾖ", "YO"},  {"ラ", "ﾗ", "RA"},  {"リ", "ﾘ", "RI"},
    {"ル", "ﾙ", "RU"},  {"レ", "ﾚ", "RE"},  {"ロ", "ﾛ", "RO"},  {"ワ", "ﾜ", "WA"},  {"ン", "ﾝ", "N"},
    {"ガ", "ｶﾞ", "GA"}, {"ギ", "ｷﾞ", "GI"}, {"グ", "ｸﾞ", "GU"}, {"ゴ", "ｺﾞ", "GO"}, {"ザ", "ｻﾞ", "ZA"},
    {"ジ", "ｼﾞ", "JI"}, {"ダ", "ﾀﾞ", "DA"}, {"ド", "ﾄﾞ", "DO"}, {"バ", "ﾊﾞ", "BA"}, {"ビ", "ﾋﾞ", "BI"},
    {"ブ", "ﾌﾞ", "BU"}, {"ボ", "ﾎﾞ", "BO"}, {"パ", "ﾊﾟ", "PA"},
}};

struct Kanji { const char* full; const char* half; const char* latin; };

constexpr std::array<Kanji, 24> kFamily = {{
    {"佐藤", "ｻﾄｳ", "SATO"},       {"鈴木", "ｽｽﾞｷ", "SUZUKI"},   {"高橋", "ﾀｶﾊｼ", "TAKAHASHI"},
    {"田中", "ﾀﾅｶ", "TANAKA"},     {"伊藤", "ｲﾄｳ", "ITO"},       {"渡辺", "ﾜﾀﾅﾍﾞ", "WATANABE"},
    {"山本", "ﾔﾏﾓﾄ", "YAMAMOTO"},  {"中村", "ﾅｶﾑﾗ", "NAKAMURA"}, {"小林", "ｺﾊﾞﾔｼ", "KOBAYASHI"},
    {"加藤", "ｶﾄｳ", "KATO"},       {"吉田", "ﾖｼﾀﾞ", "YOSHIDA"},  {"山田", "ﾔﾏﾀﾞ", "YAMADA"},
    {"佐々木", "ｻｻｷ", "SASAKI"},   {"山口", "ﾔﾏｸﾞﾁ", "YAMAGUCHI"}, {"松本", "ﾏﾂﾓﾄ", "MATSUMOTO"},
    {"井上", "ｲﾉｳｴ", "INOUE"},     {"木村", "ｷﾑﾗ", "KIMURA"},    {"林", "ﾊﾔｼ", "HAYASHI"},
    {"清水", "ｼﾐｽﾞ", "SHIMIZU"},   {"森", "ﾓﾘ", "MORI"},         {"池田", "ｲｹﾀﾞ", "IKEDA"},
    {"橋本", "ﾊｼﾓﾄ", "HASHIMOTO"}, {"石川", "ｲｼｶﾜ", "ISHIKAWA"}, {"藤田", "ﾌｼﾞﾀ", "FUJITA"},
}};

constexpr std::array<Kanji, 16> kGivenMale = {{
    {"翔", "ｼｮｳ", "SHO"},       {"健", "ｹﾝ", "KEN"},         {"大輔", "ﾀﾞｲｽｹ", "DAISUKE"},
    {"誠", "ﾏｺﾄ", "MAKOTO"},    {"亮", "ﾘｮｳ", "RYO"},        {"拓也", "ﾀｸﾔ", "TAKUYA"},
    {"和也", "ｶｽﾞﾔ", "KAZUYA"}, {"直樹", "ﾅｵｷ", "NAOKI"},     {"隆", "ﾀｶｼ", "TAKASHI"},
    {"浩", "ﾋﾛｼ", "HIROSHI"},   {"修", "ｵｻﾑ", "OSAMU"},       {"剛", "ﾂﾖｼ", "TSUYOSHI"},
    {"優", "ﾕｳ", "YU"},         {"悠斗", "ﾕｳﾄ", "YUTO"},      {"蓮", "ﾚﾝ", "REN"},
    {"一郎", "ｲﾁﾛｳ", "ICHIRO"},
}};

constexpr std::array<Kanji, 6> kGivenFemale = {{
    {"美咲", "ﾐｻｷ", "MISAKI"}, {"葵", "ｱｵｲ", "AOI"},   {"七海", "ﾅﾅﾐ", "NANAMI"},
    {"結衣", "ﾕｲ", "YUI"},     {"彩", "ｱﾔ", "AYA"},    {"舞", "ﾏｲ", "MAI"},
}};

constexpr std::array<const char*, 12> kPlace = {
    "日高", "浦河", "新冠", "静内", "門別", "えりも", "安平", "早来", "千歳", "鵡川", "三石", "様似"};
constexpr std::array<const char*, 10> kWord = {
    "ファーム", "牧場", "スタッド", "ステーブル", "ホースランド", "ブリーダーズ", "育成牧場", "ランチ", "農場", "ヒルズ"};

}  // namespace

NameParts horseName(Rng& rng, int minSyl, int maxSyl) {
    NameParts n;
    int count = rng.range(minSyl, maxSyl);
    for (int i = 0; i < count; ++i) {
        // No name starts with "ン".
        const Syl* s;
        do { s = &kSyl[rng.below(kSyl.size())]; } while (i == 0 && std::string(s->full) == "ン");
        n.full += s->full;
        n.half += s->half;
        n.latin += s->latin;
    }
    return n;
}

PersonName personName(Rng& rng, bool female) {
    const Kanji& f = kFamily[rng.below(kFamily.size())];
    const Kanji& g = female ? kGivenFemale[rng.below(kGivenFemale.size())] : kGivenMale[rng.below(kGivenMale.size())];
    PersonName p;
    p.full = std::string(f.full) + "　" + g.full;
    p.half = std::string(f.half) + " " + g.half;
    p.latin = std::string(g.latin) + " " + f.latin;
    // Short name: the family name, completed with the given name's first character up to 4 characters.
    std::string family = f.full;
    std::size_t famChars = 0;
    for (unsigned char c : family) if ((c & 0xC0) != 0x80) ++famChars;
    p.shortName = family;
    if (famChars < 4) {
        std::string given = g.full;
        std::size_t len = 1;
        while (len < given.size() && (static_cast<unsigned char>(given[len]) & 0xC0) == 0x80) ++len;
        p.shortName += given.substr(0, len);
    }
    return p;
}

std::string farmName(Rng& rng) {
    return std::string(kPlace[rng.below(kPlace.size())]) + kWord[rng.below(kWord.size())];
}

std::string ownerCompanyName(Rng& rng) {
    static constexpr std::array<const char*, 4> kForm = {"（株）", "（有）", "", ""};
    return std::string(kForm[rng.below(kForm.size())]) + horseName(rng, 3, 5).full + kWord[rng.below(5)];
}

}  // namespace kvsample
