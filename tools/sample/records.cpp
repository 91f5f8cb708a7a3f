#include "records.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <set>

#include "acquisition/jvdata/horse_records.h"
#include "acquisition/jvdata/odds_records.h"
#include "acquisition/jvdata/race_records.h"
#include "common/codec.h"
#include "common/fields.h"

namespace kvsample {

namespace jv = kv::jv;
using kv::Field;

namespace {

std::string pad(long long v, std::size_t w) { return kv::zeroPad(v < 0 ? 0 : v, w); }

// A record of length len, blank, ending in CR LF.
struct Rec {
    std::string b;
    explicit Rec(std::size_t len) : b(len, ' ') {
        b[len - 2] = '\r';
        b[len - 1] = '\n';
    }
    void s(Field f, std::string_view ascii) { kv::setField(b, f, ascii); }
    void n(Field f, long long v) { kv::setField(b, f, pad(v, f.len)); }
    void t(Field f, std::string_view utf8) { kv::setFieldText(b, f, utf8); }
    // Full-width text padded with full-width blanks.
    void fw(Field f, std::string_view utf8) {
        std::string c = kv::toCp932(utf8);
        if (c.size() > f.len) c.resize(f.len);
        while (c.size() + 2 <= f.len) c += "\x81\x40";
        kv::setField(b, f, c);
    }
    void zeros(Field f) { kv::setField(b, f, std::string(f.len, '0')); }
};

void head(Rec& r, const char* id, char kubun, const kv::Date& made) {
    r.s(jv::Head::RecordSpec, id);
    r.s(jv::Head::DataKubun, std::string(1, kubun));
    r.s(jv::Head::MakeDate, ymd(made));
}

void raceHead(Rec& r, const Race& race) { r.s(jv::RaceIdHead::RaceId, raceIdOf(race)); }

int surfaceOf(int track) { return track < 23 ? 0 : (track < 50 ? 1 : 2); }

// Weekday code of table 2002: 1 Saturday, 2 Sunday, 3 holiday, 4 Monday .. 8 Friday.
std::string youbi(const kv::Date& d) {
    int wd = kv::weekday(d);  // 1 Sunday .. 7 Saturday
    if (wd == 7) return "1";
    if (wd == 1) return "2";
    if (d.m == 11 && d.d == 24 && d.y == 2025) return "3";
    return std::to_string(wd + 2);
}

const char* jyokenName(const std::string& c) {
    if (c == "701") return "新馬";
    if (c == "703") return "未勝利";
    if (c == "005") return "１勝クラス";
    if (c == "010") return "２勝クラス";
    if (c == "016") return "３勝クラス";
    return "オープン";
}

const char* colours(int owner) {
    static constexpr std::array<const char*, 8> k = {"黒，赤袖",     "青，白星散らし", "赤，黄縦縞", "緑，白二本輪",
                                                     "白，紫山形一本輪", "黄，黒十字襷", "桃，水色袖",   "紫，白菱山形"};
    return k[static_cast<std::size_t>(owner) % k.size()];
}

struct Combos {
    std::vector<std::array<int, 2>> waku, pair, opair;
    std::vector<std::array<int, 3>> trio, otrio;
    Combos() {
        for (int a = 1; a <= 8; ++a)
            for (int b = a; b <= 8; ++b) waku.push_back({a, b});
        for (int a = 1; a <= 18; ++a)
            for (int b = a + 1; b <= 18; ++b) pair.push_back({a, b});
        for (int a = 1; a <= 18; ++a)
            for (int b = 1; b <= 18; ++b)
                if (a != b) opair.push_back({a, b});
        for (int a = 1; a <= 18; ++a)
            for (int b = a + 1; b <= 18; ++b)
                for (int c = b + 1; c <= 18; ++c) trio.push_back({a, b, c});
        for (int a = 1; a <= 18; ++a)
            for (int b = 1; b <= 18; ++b)
                for (int c = 1; c <= 18; ++c)
                    if (a != b && b != c && a != c) otrio.push_back({a, b, c});
    }
};
const Combos& combos() {
    static const Combos c;
    return c;
}

// Popularity ranks: 1 for the lowest odds; equal odds share no rank (order of the list).
std::vector<int> ranks(const std::vector<long>& odds) {
    std::vector<int> idx(odds.size());
    std::iota(idx.begin(), idx.end(), 0);
    std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) {
        long x = odds[a] <= 0 ? 1L << 40 : odds[a], y = odds[b] <= 0 ? 1L << 40 : odds[b];
        return x < y;
    });
    std::vector<int> r(odds.size(), 0);
    for (std::size_t k = 0; k < idx.size(); ++k) r[idx[k]] = odds[idx[k]] > 0 ? static_cast<int>(k) + 1 : 0;
    return r;
}

long oddsFrom(double takeout, double p, long maxTenths) {
    if (p <= 0) return 0;
    const double o = takeout / p * 10.0;
    // A horse almost sure to lose gets the longest odds (a quotient beyond
    // every whole number converts to nothing defined).
    if (!(o < static_cast<double>(maxTenths))) return maxTenths;
    long t = static_cast<long>(o);
    if (t < 11) t = 11;
    if (t > maxTenths) t = maxTenths;
    return t;
}

const Race& weekRaceOf(const World& w, std::size_t k) { return w.races[w.firstWeekRace + k]; }

}  // namespace

std::string ymd(const kv::Date& d) { return pad(d.y, 4) + pad(d.m, 2) + pad(d.d, 2); }

std::string raceIdOf(const Race& r) {
    return pad(r.date.y, 4) + pad(r.date.m * 100 + r.date.d, 4) + pad(r.jyo, 2) + pad(r.kaiji, 2) + pad(r.nichiji, 2) +
           pad(r.raceNum, 2);
}

int pairIndex(int a, int b) {
    // Pairs (1,2)..(1,18), (2,3).. : offset of row a plus b - a - 1.
    int off = 0;
    for (int x = 1; x < a; ++x) off += 18 - x;
    return off + (b - a - 1);
}
int orderedPairIndex(int a, int b) { return (a - 1) * 17 + (b < a ? b - 1 : b - 2); }
int trioIndex(int a, int b, int c) {
    const auto& t = combos().trio;
    auto it = std::lower_bound(t.begin(), t.end(), std::array<int, 3>{a, b, c});
    return static_cast<int>(it - t.begin());
}
int orderedTrioIndex(int a, int b, int c) {
    int bi = b < a ? b - 1 : b - 2;  // 0..16 among the 17 horses other than a
    int lo = std::min(a, b), hi = std::max(a, b);
    int ci = c - 1 - (c > lo ? 1 : 0) - (c > hi ? 1 : 0);  // 0..15
    return ((a - 1) * 17 + bi) * 16 + ci;
}

// ------------------------------------------------------------------ RA
std::string raRecord(const World& w, const Race& race, char kubun, const kv::Date& made, bool res) {
    namespace R = jv::RaRecord;
    Rec r(R::kLength);
    head(r, R::kId, kubun, made);
    raceHead(r, race);
    r.s(R::YoubiCD, youbi(race.date));
    r.n(R::TokuNum, race.hondai.empty() ? 0 : 1000 + race.jyo * 10 + race.raceNum);
    r.fw(R::Hondai, race.hondai);
    r.fw(R::Fukudai, "");
    r.fw(R::Kakko, "");
    r.s(R::HondaiEng, race.hondai.empty() ? "" : "Sample Stakes");
    r.s(R::FukudaiEng, "");
    r.s(R::KakkoEng, "");
    r.fw(R::Ryakusyo10, race.ryakusyo);
    r.fw(R::Ryakusyo6, race.ryakusyo);
    r.fw(R::Ryakusyo3, race.ryakusyo);
    r.s(R::RaceNameKubun, race.hondai.empty() ? "0" : "1");
    r.n(R::Nkai, race.grade == 'A' || race.grade == 'B' || race.grade == 'C' ? 10 + race.jyo : 0);
    r.s(R::GradeCD, std::string(1, race.grade));
    r.s(R::GradeCDBefore, " ");
    r.s(R::SyubetuCD, race.syubetu);
    r.s(R::KigoCD, race.kigo);
    r.n(R::JyuryoCD, race.jyuryo);
    for (int i = 1; i <= 4; ++i) {
        int age = i + 1;  // 2, 3, 4, 5 and over
        bool runs = race.syubetu == "11" ? age == 2
                  : race.syubetu == "12" ? age == 3
                  : (race.syubetu == "14" || race.syubetu == "19") ? age >= 4
                  : age >= 3;
        r.s(R::JyokenCD(i), runs ? race.jyoken : "000");
    }
    r.s(R::JyokenCD(5), race.jyoken);
    r.fw(R::JyokenName, jyokenName(race.jyoken));
    r.n(R::Kyori, race.dist);
    r.n(R::KyoriBefore, 0);
    r.n(R::TrackCD, race.track);
    r.n(R::TrackCDBefore, 0);
    r.s(R::CourseKubunCD, race.course);
    r.s(R::CourseKubunCDBefore, "  ");
    for (int i = 1; i <= 7; ++i) r.n(R::Honsyokin(i), race.prize[i - 1]);
    for (int i = 1; i <= 5; ++i) r.n(R::HonsyokinBefore(i), 0);
    for (int i = 1; i <= 5; ++i) r.n(R::Fukasyokin(i), race.added[i - 1]);
    for (int i = 1; i <= 3; ++i) r.n(R::FukasyokinBefore(i), 0);
    r.n(R::HassoTime, race.hassoTime);
    r.n(R::HassoTimeBefore, 0);
    r.n(R::TorokuTosu, race.toroku);
    int starters = 0, finished = 0;
    for (int si : race.starts) {
        if (w.starts[si].ijyo != 1) ++starters;
        if (w.starts[si].order > 0) ++finished;
    }
    r.n(R::SyussoTosu, kubun == '1' ? 0 : (res ? starters : static_cast<int>(race.starts.size())));
    r.n(R::NyusenTosu, res ? finished : 0);
    r.n(R::TenkoCD, res ? race.tenko : 0);
    r.n(R::SibaBabaCD, res ? race.siba : 0);
    r.n(R::DirtBabaCD, res ? race.dirt : 0);
    for (int i = 1; i <= 25; ++i) r.n(R::LapTime(i), res && i <= race.lapCount ? race.lap[i - 1] : 0);
    r.n(R::SyogaiMileTime, 0);
    r.n(R::HaronTimeS3, res ? race.s3 : 0);
    r.n(R::HaronTimeS4, res ? race.s4 : 0);
    r.n(R::HaronTimeL3, res ? race.l3 : 0);
    r.n(R::HaronTimeL4, res ? race.l4 : 0);
    for (int c = 1; c <= 4; ++c) {
        std::string order;
        if (res) {
            std::vector<std::pair<int, int>> pos;
            for (int si : race.starts)
                if (w.starts[si].corner[c - 1] > 0) pos.push_back({w.starts[si].corner[c - 1], w.starts[si].umaban});
            std::sort(pos.begin(), pos.end());
            for (const auto& p : pos) order += (order.empty() ? "" : ",") + std::to_string(p.second);
        }
        if (order.empty()) {
            r.s(R::CornerInfo::Corner(c), "0");
            r.s(R::CornerInfo::Syukaisu(c), "0");
        } else {
            r.n(R::CornerInfo::Corner(c), c);
            r.s(R::CornerInfo::Syukaisu(c), "1");
            r.s(R::CornerInfo::Jyuni(c), order);
        }
    }
    r.s(R::RecordUpKubun, "0");
    return r.b;
}

// ------------------------------------------------------------------ SE
namespace {

// The finish of a run: weight, abnormality, places, time, margin, corners,
// odds, prizes and closing times (zero or blank before the result).
void seFinish(Rec& r, const World& w, const Race& race, const Start& st, bool res) {
    namespace S = jv::SeRecord;
    const Horse& h = w.horses[st.horse];
    if (res && st.ijyo != 1) {
        r.n(S::BaTaijyu, st.weight);
        if (h.starts.empty() || st.zogen == 0) {
            r.s(S::ZogenFugo, " ");
            r.n(S::ZogenSa, 0);
        } else {
            r.s(S::ZogenFugo, st.zogen > 0 ? "+" : "-");
            r.n(S::ZogenSa, st.zogen > 0 ? st.zogen : -st.zogen);
        }
    } else {
        r.s(S::BaTaijyu, "   ");
        r.s(S::ZogenFugo, " ");
        r.s(S::ZogenSa, "   ");
    }
    r.n(S::IJyoCD, res ? st.ijyo : 0);
    r.n(S::NyusenJyuni, res ? st.nyusen : 0);
    r.n(S::KakuteiJyuni, res ? st.order : 0);
    int tiedWith = 0;  // other horses sharing its place
    if (res && st.order > 0)
        for (int si : race.starts) tiedWith += (w.starts[si].order == st.order && &w.starts[si] != &st) ? 1 : 0;
    r.s(S::DochakuKubun, tiedWith > 0 ? "1" : "0");
    r.n(S::DochakuTosu, tiedWith);
    if (res && st.time > 0) {
        int minutes = st.time / 600;
        r.s(S::Time, std::to_string(minutes) + pad(st.time % 600, 3));
    } else {
        r.n(S::Time, 0);
    }
    r.s(S::ChakusaCD, res ? st.chakusa : "   ");
    r.s(S::ChakusaCDP, "   ");
    r.s(S::ChakusaCDPP, "   ");
    r.n(S::Jyuni1c, res ? st.corner[0] : 0);
    r.n(S::Jyuni2c, res ? st.corner[1] : 0);
    r.n(S::Jyuni3c, res ? st.corner[2] : 0);
    r.n(S::Jyuni4c, res ? st.corner[3] : 0);
    if (res && st.ijyo == 1) {
        r.s(S::Odds, "----");
        r.s(S::Ninki, "**");
    } else {
        r.n(S::Odds, res ? st.odds : 0);
        r.n(S::Ninki, res ? st.ninki : 0);
    }
    r.n(S::Honsyokin, res ? st.prize : 0);
    r.n(S::Fukasyokin, res ? st.added : 0);
    r.n(S::Reserved3, 0);
    r.n(S::Reserved4, 0);
    r.n(S::HaronTimeL4, res ? st.l4 : 0);
    r.n(S::HaronTimeL3, res ? st.l3 : 0);
}

// The horse beaten or beaten by (for the winner the runner-up or the horse it
// shares the win with, otherwise the winner), and the time behind the winner.
void seOtherHorse(Rec& r, const World& w, const Race& race, const Start& st, bool res) {
    namespace S = jv::SeRecord;
    // The winner (or, for the winner, the runner-up or the horse it shares the win with).
    int other = -1;
    if (res) {
        for (int si : race.starts) {
            const Start& o = w.starts[si];
            if (&o == &st) continue;
            if (st.order == 1 && o.order == 1) { other = si; break; }
            if ((st.order == 1 && o.order == 2) || (st.order != 1 && o.order == 1 && other < 0)) other = si;
        }
    }
    for (int i = 1; i <= 3; ++i) {
        if (i == 1 && other >= 0) {
            r.s(S::ChakuUmaInfo::KettoNum(i), w.horses[w.starts[other].horse].ketto);
            r.fw(S::ChakuUmaInfo::Bamei(i), w.horses[w.starts[other].horse].name);
        } else {
            r.n(S::ChakuUmaInfo::KettoNum(i), 0);
            r.fw(S::ChakuUmaInfo::Bamei(i), "");
        }
    }
    if (res && st.order > 0) {
        int d = st.timeDiff;
        r.s(S::TimeDiff, std::string(d < 0 ? "-" : "+") + pad(d < 0 ? -d : d, 3));
    } else if (res) {
        r.s(S::TimeDiff, "9999");
    } else {
        r.n(S::TimeDiff, 0);
    }
}

}  // namespace

std::string seRecord(const World& w, const Start& st, char kubun, const kv::Date& made, bool res) {
    namespace S = jv::SeRecord;
    const Race& race = w.races[st.race];
    const Horse& h = w.horses[st.horse];
    const Person& jk = w.jockeys[st.jockey];
    const Person& tr = w.trainers[st.trainer];
    const Person& ow = w.owners[st.owner];
    Rec r(S::kLength);
    head(r, S::kId, kubun, made);
    raceHead(r, race);
    const bool drawn = kubun != '1';
    r.n(S::Wakuban, drawn ? st.wakuban : 0);
    r.n(S::Umaban, drawn ? st.umaban : 0);
    r.s(S::KettoNum, h.ketto);
    r.fw(S::Bamei, h.name);
    r.s(S::UmaKigoCD, h.umaKigo);
    r.n(S::SexCD, h.sex);
    r.s(S::HinsyuCD, "1");
    r.n(S::KeiroCD, h.keiro);
    r.n(S::Barei, st.age);
    r.n(S::TozaiCD, h.tozai);
    r.s(S::ChokyosiCode, tr.code);
    r.fw(S::ChokyosiRyakusyo, tr.shortName);
    r.s(S::BanusiCode, ow.code);
    r.fw(S::BanusiName, ow.name);
    r.fw(S::Fukusyoku, colours(st.owner));
    r.s(S::Reserved1, "");
    r.n(S::Futan, st.futan);
    r.n(S::FutanBefore, 0);
    r.n(S::Blinker, st.blinker);
    r.s(S::Reserved2, " ");
    r.s(S::KisyuCode, jk.code);
    r.n(S::KisyuCodeBefore, 0);
    r.fw(S::KisyuRyakusyo, jk.shortName);
    r.fw(S::KisyuRyakusyoBefore, "");
    r.n(S::MinaraiCD, jk.minarai);
    r.n(S::MinaraiCDBefore, 0);
    seFinish(r, w, race, st, res);
    seOtherHorse(r, w, race, st, res);
    r.s(S::RecordUpKubun, "0");
    r.s(S::DMKubun, "0");
    r.n(S::DMTime, 0);
    r.n(S::DMGosaP, 0);
    r.n(S::DMGosaM, 0);
    r.n(S::DMJyuni, 0);
    r.n(S::KyakusituKubun, res ? st.kyakusitu : 0);
    return r.b;
}

// ------------------------------------------------------------------ UM
std::string umRecord(const World& w, int horseIdx, const kv::Date& made) {
    namespace U = jv::UmRecord;
    const Horse& h = w.horses[horseIdx];
    Rec r(U::kLength);
    head(r, U::kId, '1', made);
    r.s(U::KettoNum, h.ketto);
    r.s(U::DelKubun, "0");
    r.s(U::RegDate, ymd(kv::Date{h.birth.y + 2, 4, 1}));
    r.n(U::DelDate, 0);
    r.s(U::BirthDate, ymd(h.birth));
    r.fw(U::Bamei, h.name);
    r.t(U::BameiKana, h.kana);
    r.s(U::BameiEng, h.eng);
    r.s(U::ZaikyuFlag, "1");
    r.s(U::Reserved1, "");
    r.s(U::UmaKigoCD, h.umaKigo);
    r.n(U::SexCD, h.sex);
    r.s(U::HinsyuCD, "1");
    r.n(U::KeiroCD, h.keiro);
    // Pedigree: sire, dam, their parents, then their grandparents.
    auto parentOf = [&](int b, bool sire) { return b < 0 ? -1 : (sire ? w.breeding[b].sire : w.breeding[b].dam); };
    int anc[15];
    anc[1] = h.sire;
    anc[2] = h.dam;
    anc[3] = parentOf(h.sire, true);
    anc[4] = parentOf(h.sire, false);
    anc[5] = parentOf(h.dam, true);
    anc[6] = parentOf(h.dam, false);
    for (int k = 0; k < 4; ++k) {
        anc[7 + 2 * k] = parentOf(anc[3 + k], true);
        anc[8 + 2 * k] = parentOf(anc[3 + k], false);
    }
    for (int i = 1; i <= 14; ++i) {
        if (anc[i] >= 0) {
            r.s(U::Ketto3Info::HansyokuNum(i), w.breeding[anc[i]].num);
            r.fw(U::Ketto3Info::Bamei(i), w.breeding[anc[i]].name);
        } else {
            r.n(U::Ketto3Info::HansyokuNum(i), 0);
            r.fw(U::Ketto3Info::Bamei(i), "");
        }
    }
    r.n(U::TozaiCD, h.tozai);
    r.s(U::ChokyosiCode, w.trainers[h.trainer].code);
    r.fw(U::ChokyosiRyakusyo, w.trainers[h.trainer].shortName);
    r.fw(U::Syotai, "");
    r.s(U::BreederCode, w.breeders[h.breeder].code);
    r.fw(U::BreederName, w.breeders[h.breeder].name);
    {
        std::string farm = w.breeders[h.breeder].name;
        r.fw(U::SanchiName, farm.substr(0, std::min<std::size_t>(farm.size(), 6)));  // the place part
    }
    r.s(U::BanusiCode, w.owners[h.owner].code);
    r.fw(U::BanusiName, w.owners[h.owner].name);
    // Totals and placings of the runs before this week.
    long long flat = 0, hurdle = 0, flatAdd = 0, hurdleAdd = 0;
    int sogo[6] = {}, ba[7][6] = {}, jyotai[12][6] = {}, kyori[6][6] = {}, style[4] = {};
    int counted = 0;
    for (int si : h.starts) {
        const Start& s = w.starts[si];
        const Race& race = w.races[s.race];
        if (race.thisWeek) continue;
        ++counted;
        int surf = surfaceOf(race.track);
        (surf == 2 ? hurdle : flat) += s.prize;
        (surf == 2 ? hurdleAdd : flatAdd) += s.added;
        int p = s.order >= 1 && s.order <= 5 ? s.order - 1 : 5;
        ++sogo[p];
        int b = surf == 2 ? 6 : surf * 3 + (race.track == 10 ? 0 : (courseIsLeft(race.jyo) ? 2 : 1));
        ++ba[b][p];
        int going = surf == 1 ? race.dirt : race.siba;
        ++jyotai[surf * 4 + std::clamp(going, 1, 4) - 1][p];
        if (surf < 2) ++kyori[surf * 3 + (race.dist <= 1600 ? 0 : (race.dist <= 2200 ? 1 : 2))][p];
        if (s.kyakusitu >= 1 && s.kyakusitu <= 4) ++style[s.kyakusitu - 1];
    }
    sogo[0] += h.priorWins;
    sogo[5] += h.priorRuns - h.priorWins;
    r.n(U::RuikeiHonsyoHeiti, flat);
    r.n(U::RuikeiHonsyoSyogai, hurdle);
    r.n(U::RuikeiFukaHeichi, flatAdd);
    r.n(U::RuikeiFukaSyogai, hurdleAdd);
    r.n(U::RuikeiSyutokuHeichi, flat / 2);
    r.n(U::RuikeiSyutokuSyogai, hurdle / 2);
    for (int j = 1; j <= 6; ++j) {
        r.n(U::ChakuSogo(j), sogo[j - 1]);
        r.n(U::ChakuChuo(j), sogo[j - 1]);
    }
    for (int i = 1; i <= 7; ++i)
        for (int j = 1; j <= 6; ++j) r.n(U::ChakuKaisuBa(i, j), ba[i - 1][j - 1]);
    for (int i = 1; i <= 12; ++i)
        for (int j = 1; j <= 6; ++j) r.n(U::ChakuKaisuJyotai(i, j), jyotai[i - 1][j - 1]);
    for (int i = 1; i <= 6; ++i)
        for (int j = 1; j <= 6; ++j) r.n(U::ChakuKaisuKyori(i, j), kyori[i - 1][j - 1]);
    for (int i = 1; i <= 4; ++i) r.n(U::Kyakusitu(i), style[i - 1]);
    r.n(U::RaceCount, counted + h.priorRuns);
    return r.b;
}

// ------------------------------------------------------------------ KS
namespace {
template <class Block>
void ksBody(Rec& r, const World& w, int jockey, const std::vector<int>& rides, const kv::Date& made) {
    namespace K = jv::KsCommon;
    const Person& p = w.jockeys[jockey];
    r.s(K::KisyuCode, p.code);
    r.s(K::DelKubun, "0");
    r.s(K::IssueDate, ymd(p.issue));
    r.n(K::DelDate, 0);
    r.s(K::BirthDate, ymd(p.birth));
    r.fw(K::KisyuName, p.name);
    r.fw(K::Reserved1, "");
    r.t(K::KisyuNameKana, p.kana);
    r.fw(K::KisyuRyakusyo, p.shortName);
    r.s(K::KisyuNameEng, p.eng);
    r.n(K::SexCD, p.sex);
    r.s(K::SikakuCD, "1");
    r.n(K::MinaraiCD, p.minarai);
    r.n(K::TozaiCD, p.tozai);
    r.fw(K::Syotai, "");
    r.s(K::ChokyosiCode, w.trainers[p.trainer].code);
    r.fw(K::ChokyosiRyakusyo, w.trainers[p.trainer].shortName);
    for (int i = 1; i <= 2; ++i) {
        r.n(K::HatuKiJyo::RaceId(i), 0);
        r.n(K::HatuKiJyo::SyussoTosu(i), 0);
        r.n(K::HatuKiJyo::KettoNum(i), 0);
        r.fw(K::HatuKiJyo::Bamei(i), "");
        r.n(K::HatuKiJyo::KakuteiJyuni(i), 0);
        r.s(K::HatuKiJyo::IJyoCD(i), "0");
        r.n(K::HatuSyori::RaceId(i), 0);
        r.n(K::HatuSyori::SyussoTosu(i), 0);
        r.n(K::HatuSyori::KettoNum(i), 0);
        r.fw(K::HatuSyori::Bamei(i), "");
    }
    for (int i = 1; i <= 3; ++i) {
        r.n(K::SaikinJyusyo::RaceId(i), 0);
        r.fw(K::SaikinJyusyo::Hondai(i), "");
        r.fw(K::SaikinJyusyo::Ryakusyo10(i), "");
        r.fw(K::SaikinJyusyo::Ryakusyo6(i), "");
        r.fw(K::SaikinJyusyo::Ryakusyo3(i), "");
        r.s(K::SaikinJyusyo::GradeCD(i), " ");
        r.n(K::SaikinJyusyo::SyussoTosu(i), 0);
        r.n(K::SaikinJyusyo::KettoNum(i), 0);
        r.fw(K::SaikinJyusyo::Bamei(i), "");
    }
    // Year blocks: this year, last year, all years.
    long long prize[3][2] = {}, added[3][2] = {};
    int flatPl[3][6] = {}, jumpPl[3][6] = {}, jyo[3][20][6] = {}, kyo[3][6][6] = {};
    for (int si : rides) {
        const Start& s = w.starts[si];
        const Race& race = w.races[s.race];
        if (race.thisWeek || ymd(race.date) > ymd(made)) continue;
        int surf = surfaceOf(race.track);
        int p = s.order >= 1 && s.order <= 5 ? s.order - 1 : 5;
        for (int b = 0; b < 3; ++b) {
            if (b == 0 && race.date.y != made.y) continue;
            if (b == 1 && race.date.y != made.y - 1) continue;
            prize[b][surf == 2] += s.prize;
            added[b][surf == 2] += s.added;
            ++(surf == 2 ? jumpPl : flatPl)[b][p];
            ++jyo[b][(race.jyo - 1) * 2 + (surf == 0 ? 0 : 1)][p];
            if (surf < 2) ++kyo[b][surf * 3 + (race.dist <= 1600 ? 0 : (race.dist <= 2200 ? 1 : 2))][p];
        }
    }
    for (int b = 1; b <= 3; ++b) {
        r.n(Block::SetYear(b), b == 1 ? made.y : (b == 2 ? made.y - 1 : 0));
        r.n(Block::HonSyokinHeichi(b), prize[b - 1][0]);
        r.n(Block::HonSyokinSyogai(b), prize[b - 1][1]);
        r.n(Block::FukaSyokinHeichi(b), added[b - 1][0]);
        r.n(Block::FukaSyokinSyogai(b), added[b - 1][1]);
        for (int j = 1; j <= 6; ++j) {
            r.n(Block::ChakuKaisuHeichi(b, j), flatPl[b - 1][j - 1]);
            r.n(Block::ChakuKaisuSyogai(b, j), jumpPl[b - 1][j - 1]);
        }
        for (int i = 1; i <= 20; ++i)
            for (int j = 1; j <= 6; ++j) r.n(Block::ChakuKaisuJyo(b, i, j), jyo[b - 1][i - 1][j - 1]);
        for (int i = 1; i <= 6; ++i)
            for (int j = 1; j <= 6; ++j) r.n(Block::ChakuKaisuKyori(b, i, j), kyo[b - 1][i - 1][j - 1]);
    }
}
}  // namespace

std::string ksRecord(const World& w, int jockey, const std::vector<int>& rides, const kv::Date& made, bool received) {
    if (received) {
        Rec r(jv::KsReceived::kLength);
        head(r, "KS", '1', made);
        ksBody<jv::KsReceived::HonZenRuikei>(r, w, jockey, rides, made);
        return r.b;
    }
    Rec r(jv::KsRecord::kLength);
    head(r, "KS", '1', made);
    ksBody<jv::KsRecord::HonZenRuikei>(r, w, jockey, rides, made);
    return r.b;
}

// ------------------------------------------------------------------ HN
std::string hnRecord(const World& w, int bi, const kv::Date& made) {
    namespace H = jv::HnRecord;
    const BreedHorse& b = w.breeding[bi];
    Rec r(H::kLength);
    head(r, H::kId, '1', made);
    r.s(H::HansyokuNum, b.num);
    r.n(H::Reserved1, 0);
    r.s(H::KettoNum, b.ketto);
    r.s(H::Reserved2, "0");
    r.fw(H::Bamei, b.name);
    r.s(H::BameiKana, "");
    r.s(H::BameiEng, "");
    r.n(H::BirthYear, b.birthYear);
    r.n(H::SexCD, b.sex);
    r.s(H::HinsyuCD, "1");
    r.n(H::KeiroCD, 1 + static_cast<int>(bi % 7));
    r.s(H::MochiKubun, "0");
    r.n(H::ImportYear, 0);
    r.fw(H::SanchiName, "日高");
    r.s(H::HansyokuFNum, b.sire >= 0 ? w.breeding[b.sire].num : std::string(10, '0'));
    r.s(H::HansyokuMNum, b.dam >= 0 ? w.breeding[b.dam].num : std::string(10, '0'));
    return r.b;
}

// ------------------------------------------------------------------ odds
RaceOdds raceOdds(const World& w, std::size_t k) {
    const Race& race = weekRaceOf(w, k);
    const std::vector<double>& p = race.winProb;
    RaceOdds o;
    o.n = static_cast<int>(race.starts.size());
    const int n = o.n;
    o.out.assign(19, false);
    for (int si : race.starts)
        if (w.starts[si].ijyo == 1) o.out[w.starts[si].umaban] = true;
    auto P = [&](int h) { return (h >= 1 && h <= n && !o.out[h]) ? p[h] : 0.0; };
    o.win.assign(19, 0);
    o.placeLow.assign(19, 0);
    o.placeHigh.assign(19, 0);
    for (int h = 1; h <= n; ++h) {
        o.win[h] = o.out[h] ? 0 : w.starts[race.starts[h - 1]].odds;
        if (o.win[h] > 0) {
            long low = 10 + (o.win[h] - 10) / 4;
            o.placeLow[h] = std::max(11L, low);
            o.placeHigh[h] = std::min(9999L, o.placeLow[h] * 17 / 10 + 1);
        }
    }
    o.winNinki = ranks(o.win);
    // Harville probabilities of ordered pairs and trios.
    auto p2 = [&](int a, int b) {
        double pa = P(a);
        return pa >= 1.0 ? 0.0 : pa * P(b) / (1.0 - pa);
    };
    auto p3 = [&](int a, int b, int c) {
        double pa = P(a), pb = P(b);
        double rest = 1.0 - pa - pb;
        return rest <= 0 ? 0.0 : p2(a, b) * P(c) / rest;
    };
    const Combos& cb = combos();
    // Brackets of the horse numbers.
    std::vector<int> waku(19, 0);
    for (int si : race.starts) waku[w.starts[si].umaban] = w.starts[si].wakuban;
    o.wakuren.assign(cb.waku.size(), 0);
    if (n >= 9) {
        for (std::size_t i = 0; i < cb.waku.size(); ++i) {
            double q = 0;
            for (int a = 1; a <= n; ++a)
                for (int b = 1; b <= n; ++b) {
                    if (a == b) continue;
                    int wa = waku[a], wb = waku[b];
                    if ((wa == cb.waku[i][0] && wb == cb.waku[i][1]) || (wa == cb.waku[i][1] && wb == cb.waku[i][0]))
                        q += p2(a, b);
                }
            o.wakuren[i] = oddsFrom(0.775, q, 99999);
        }
    }
    o.wakurenNinki = ranks(o.wakuren);
    o.umaren.assign(cb.pair.size(), 0);
    o.wideProb.assign(cb.pair.size(), 0.0);
    for (std::size_t i = 0; i < cb.pair.size(); ++i) {
        int a = cb.pair[i][0], b = cb.pair[i][1];
        if (a > n || b > n) continue;
        o.umaren[i] = oddsFrom(0.775, p2(a, b) + p2(b, a), 999999);
        double wp = 0;
        for (int c = 1; c <= n; ++c) {
            if (c == a || c == b) continue;
            wp += p3(a, b, c) + p3(b, a, c) + p3(a, c, b) + p3(c, a, b) + p3(b, c, a) + p3(c, b, a);
        }
        o.wideProb[i] = wp;
    }
    o.umarenNinki = ranks(o.umaren);
    o.umatan.assign(cb.opair.size(), 0);
    for (std::size_t i = 0; i < cb.opair.size(); ++i) {
        int a = cb.opair[i][0], b = cb.opair[i][1];
        if (a > n || b > n) continue;
        o.umatan[i] = oddsFrom(0.75, p2(a, b), 999999);
    }
    o.umatanNinki = ranks(o.umatan);
    o.sanren.assign(cb.trio.size(), 0);
    for (std::size_t i = 0; i < cb.trio.size(); ++i) {
        int a = cb.trio[i][0], b = cb.trio[i][1], c = cb.trio[i][2];
        if (c > n) continue;
        double q = p3(a, b, c) + p3(a, c, b) + p3(b, a, c) + p3(b, c, a) + p3(c, a, b) + p3(c, b, a);
        o.sanren[i] = oddsFrom(0.75, q, 999999);
    }
    o.sanrenNinki = ranks(o.sanren);
    o.sanrentan.assign(cb.otrio.size(), 0);
    for (std::size_t i = 0; i < cb.otrio.size(); ++i) {
        int a = cb.otrio[i][0], b = cb.otrio[i][1], c = cb.otrio[i][2];
        if (a > n || b > n || c > n) continue;
        o.sanrentan[i] = oddsFrom(0.725, p3(a, b, c), 9999999);
    }
    o.sanrentanNinki = ranks(o.sanrentan);
    return o;
}

namespace {

// Every finishing order that the dead heats allow: horses sharing a place
// in each of their orders. Each gives a first three. placed: (place, horse
// number) of the first three places, by place.
std::vector<std::array<int, 3>> firstThreeOrders(const std::vector<std::pair<int, int>>& placed) {
    std::vector<std::array<int, 3>> firstThree;
    std::vector<std::vector<int>> groups;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (i == 0 || placed[i].first != placed[i - 1].first) groups.emplace_back();
        groups.back().push_back(placed[i].second);
    }
    std::vector<int> seq;
    auto expand = [&](auto&& self, std::size_t g) -> void {
        if (g == groups.size() || seq.size() >= 3) {
            std::array<int, 3> t = {0, 0, 0};
            for (std::size_t i = 0; i < 3 && i < seq.size(); ++i) t[i] = seq[i];
            firstThree.push_back(t);
            return;
        }
        std::vector<int> perm = groups[g];
        do {
            const std::size_t before = seq.size();
            seq.insert(seq.end(), perm.begin(), perm.end());
            self(self, g + 1);
            seq.resize(before);
        } while (std::next_permutation(perm.begin(), perm.end()));
    };
    expand(expand, 0);
    return firstThree;
}

// The combination texts of each bet kind that the first threes win, ascending and each once.
struct WinningCombos {
    std::set<int> wins;
    std::set<std::string> umaren, wide, umatan, sanren, sanrentan, wakuren;
};

WinningCombos winningCombos(const std::vector<std::array<int, 3>>& firstThree, const std::vector<int>& waku) {
    auto two = [](int v) { return pad(v, 2); };
    WinningCombos c;
    auto& [wins, umaren, wide, umatan, sanren, sanrentan, wakuren] = c;
    for (const auto& t : firstThree) {
        wins.insert(t[0]);
        umaren.insert(two(std::min(t[0], t[1])) + two(std::max(t[0], t[1])));
        umatan.insert(two(t[0]) + two(t[1]));
        wakuren.insert(std::to_string(std::min(waku[t[0]], waku[t[1]])) + std::to_string(std::max(waku[t[0]], waku[t[1]])));
        if (t[2] == 0) continue;
        std::array<int, 3> u = t;
        std::sort(u.begin(), u.end());
        wide.insert(two(u[0]) + two(u[1]));
        wide.insert(two(u[0]) + two(u[2]));
        wide.insert(two(u[1]) + two(u[2]));
        sanren.insert(two(u[0]) + two(u[1]) + two(u[2]));
        sanrentan.insert(two(t[0]) + two(t[1]) + two(t[2]));
    }
    return c;
}

}  // namespace

Payout payoutOf(const World& w, std::size_t k, const RaceOdds& o) {
    const Race& race = weekRaceOf(w, k);
    Payout pay;
    std::vector<int> waku(19, 0);
    std::vector<std::pair<int, int>> placed;  // (place, horse number) of the first three places
    int starters = 0;
    for (int si : race.starts) {
        const Start& s = w.starts[si];
        waku[s.umaban] = s.wakuban;
        if (s.ijyo != 1) ++starters;
        if (s.order >= 1 && s.order <= 3) placed.push_back({s.order, s.umaban});
    }
    std::sort(placed.begin(), placed.end());
    const std::vector<std::array<int, 3>> firstThree = firstThreeOrders(placed);
    if (firstThree.empty() || firstThree.front()[1] == 0) return pay;
    auto two = [](int v) { return pad(v, 2); };
    const auto [wins, umaren, wide, umatan, sanren, sanrentan, wakuren] = winningCombos(firstThree, waku);
    const int placesPaid = starters >= 8 ? 3 : (starters >= 5 ? 2 : 0);
    auto num = [](const std::string& kumi, std::size_t i) { return std::stoi(kumi.substr(2 * i, 2)); };
    for (int h : wins) pay.tansyo.push_back({two(h), o.win[h] * 10, o.winNinki[h]});
    for (const auto& [place, h] : placed)
        if (place <= placesPaid) pay.fukusyo.push_back({two(h), std::max(100L, o.placeLow[h] * 10), o.winNinki[h]});
    if (o.n >= 9) {
        for (const auto& kumi : wakuren) {
            std::size_t wi = 0;
            for (int x = 1; x <= 8; ++x)
                for (int y = x; y <= 8; ++y, ++wi)
                    if (std::to_string(x) + std::to_string(y) == kumi)
                        pay.wakuren.push_back({kumi, o.wakuren[wi] * 10, o.wakurenNinki[wi]});
        }
    }
    for (const auto& kumi : umaren) {
        int i = pairIndex(num(kumi, 0), num(kumi, 1));
        pay.umaren.push_back({kumi, o.umaren[i] * 10, o.umarenNinki[i]});
    }
    if (!wide.empty()) {
        // Wide: the pairs within the first three, with their own odds and ranks.
        std::vector<long> wideOdds(o.wideProb.size(), 0);
        for (std::size_t i = 0; i < o.wideProb.size(); ++i) wideOdds[i] = oddsFrom(0.775, o.wideProb[i], 999999);
        std::vector<int> wideNinki = ranks(wideOdds);
        for (const auto& kumi : wide) {
            int i = pairIndex(num(kumi, 0), num(kumi, 1));
            pay.wide.push_back({kumi, std::max(100L, wideOdds[i] * 10), wideNinki[i]});
        }
    }
    for (const auto& kumi : umatan) {
        int i = orderedPairIndex(num(kumi, 0), num(kumi, 1));
        pay.umatan.push_back({kumi, o.umatan[i] * 10, o.umatanNinki[i]});
    }
    for (const auto& kumi : sanren) {
        int i = trioIndex(num(kumi, 0), num(kumi, 1), num(kumi, 2));
        pay.sanrenpuku.push_back({kumi, o.sanren[i] * 10, o.sanrenNinki[i]});
    }
    for (const auto& kumi : sanrentan) {
        int j = orderedTrioIndex(num(kumi, 0), num(kumi, 1), num(kumi, 2));
        pay.sanrentan.push_back({kumi, o.sanrentan[j] * 10, o.sanrentanNinki[j]});
    }
    return pay;
}

std::string hrRecord(const World& w, std::size_t k, const RaceOdds& o, const kv::Date& made) {
    namespace H = jv::HrRecord;
    const Race& race = weekRaceOf(w, k);
    Payout pay = payoutOf(w, k, o);
    Rec r(H::kLength);
    head(r, H::kId, '7', made);
    raceHead(r, race);
    int starters = 0;
    bool refunds = false;
    for (int si : race.starts) {
        if (w.starts[si].ijyo != 1) ++starters;
        else refunds = true;
    }
    r.n(H::TorokuTosu, race.toroku);
    r.n(H::SyussoTosu, starters);
    for (int i = 1; i <= 9; ++i) {
        r.s(H::FuseirituFlag(i), "0");
        r.s(H::TokubaraiFlag(i), "0");
        r.s(H::HenkanFlag(i), refunds && i != 6 ? "1" : "0");
    }
    for (int i = 1; i <= 28; ++i) r.s(H::HenkanUma(i), (i <= 18 && o.out[i]) ? "1" : "0");
    for (int i = 1; i <= 8; ++i) {
        r.s(H::HenkanWaku(i), "0");
        r.s(H::HenkanDoWaku(i), "0");
    }
    auto fill = [&](auto kumi, auto payF, auto ninki, int count, const std::vector<Payout::Entry>& v) {
        for (int i = 1; i <= count; ++i) {
            if (i <= static_cast<int>(v.size())) {
                r.s(kumi(i), v[i - 1].kumi);
                r.n(payF(i), v[i - 1].pay);
                r.n(ninki(i), v[i - 1].ninki);
            } else {
                r.zeros(kumi(i));
                r.zeros(payF(i));
                r.zeros(ninki(i));
            }
        }
    };
#define KV_FILL(G, COUNT, V) fill(H::G::Kumi, H::G::Pay, H::G::Ninki, COUNT, V)
    KV_FILL(PayTansyo, 3, pay.tansyo);
    KV_FILL(PayFukusyo, 5, pay.fukusyo);
    KV_FILL(PayWakuren, 3, pay.wakuren);
    KV_FILL(PayUmaren, 3, pay.umaren);
    KV_FILL(PayWide, 7, pay.wide);
    KV_FILL(PayReserved, 3, std::vector<Payout::Entry>{});
    KV_FILL(PayUmatan, 6, pay.umatan);
    KV_FILL(PaySanrenpuku, 3, pay.sanrenpuku);
    KV_FILL(PaySanrentan, 6, pay.sanrentan);
#undef KV_FILL
    return r.b;
}

namespace {
void oddsHead(Rec& r, const char* id, const Race& race, char kubun, const kv::Date& made, const std::string& happyo,
              int n) {
    head(r, id, kubun, made);
    raceHead(r, race);
    r.s(jv::OddsHead::HappyoTime, happyo);
    r.n(jv::OddsHead::TorokuTosu, race.toroku);
    r.n(jv::OddsHead::SyussoTosu, n);
}

// Odds text of a combination: digits, dashes for a scratched horse, blanks for no such horse.
std::string oddsText(long tenths, bool exists, bool scratched, std::size_t width) {
    if (!exists) return std::string(width, ' ');
    if (scratched) return std::string(width, '-');
    return pad(tenths, width);
}
std::string ninkiText(int ninki, bool exists, bool scratched, std::size_t width) {
    if (!exists) return std::string(width, ' ');
    if (scratched) return std::string(width, '*');
    return pad(ninki, width);
}
long long votes(const Race& race, int mult) { return 1000000LL * mult + race.raceNum * 12345LL + race.jyo * 777LL; }
}  // namespace

std::string o1Record(const World& w, std::size_t k, const RaceOdds& o, char kubun, const kv::Date& made, const std::string& happyo) {
    namespace O = jv::O1Record;
    const Race& race = weekRaceOf(w, k);
    Rec r(O::kLength);
    oddsHead(r, O::kId, race, kubun, made, happyo, o.n);
    r.s(O::TansyoFlag, "7");
    // Places paid follow the starters (scratched horses excluded), as the payouts do;
    // no place bets with four starters or fewer.
    const int starters = static_cast<int>(std::count(o.out.begin() + 1, o.out.begin() + 1 + o.n, false));
    const bool placeSold = starters >= 5;
    r.s(O::FukusyoFlag, placeSold ? "7" : "0");
    r.s(O::WakurenFlag, o.n >= 9 ? "7" : "0");
    r.n(O::FukuChakuBaraiKey, starters >= 8 ? 3 : 2);
    for (int h = 1; h <= 28; ++h) {
        bool exists = h <= o.n;
        bool out = exists && o.out[h];
        if (exists) r.n(O::OddsTansyo::Umaban(h), h);
        r.s(O::OddsTansyo::Odds(h), oddsText(exists ? o.win[h] : 0, exists, out, 4));
        r.s(O::OddsTansyo::Ninki(h), ninkiText(exists ? o.winNinki[h] : 0, exists, out, 2));
        if (exists) r.n(O::OddsFukusyo::Umaban(h), h);
        const bool place = exists && placeSold;
        r.s(O::OddsFukusyo::OddsLow(h), oddsText(place ? o.placeLow[h] : 0, place, out, 4));
        r.s(O::OddsFukusyo::OddsHigh(h), oddsText(place ? o.placeHigh[h] : 0, place, out, 4));
        r.s(O::OddsFukusyo::Ninki(h), ninkiText(place ? o.winNinki[h] : 0, place, out, 2));
    }
    const auto& cb = combos();
    for (std::size_t i = 0; i < cb.waku.size(); ++i) {
        int e = static_cast<int>(i) + 1;
        r.s(O::OddsWakuren::Kumi(e), std::to_string(cb.waku[i][0]) + std::to_string(cb.waku[i][1]));
        bool exists = o.wakuren[i] > 0;
        r.s(O::OddsWakuren::Odds(e), oddsText(o.wakuren[i], exists, false, 5));
        r.s(O::OddsWakuren::Ninki(e), ninkiText(o.wakurenNinki[i], exists, false, 2));
    }
    r.n(O::TotalHyosuTansyo, votes(race, 3));
    r.n(O::TotalHyosuFukusyo, placeSold ? votes(race, 2) : 0);
    r.n(O::TotalHyosuWakuren, o.n >= 9 ? votes(race, 1) : 0);
    return r.b;
}

#define KV_ODDS_FN(FN, NS, GROUP, LIST, ODDS, NINKI, KUMIW, ODDSW, NINKIW, COUNT)                                 \
    std::string FN(const World& w, std::size_t k, const RaceOdds& o, char kubun, const kv::Date& made,          \
                   const std::string& happyo) {                                                                  \
        namespace O = jv::NS;                                                                                    \
        const Race& race = weekRaceOf(w, k);                                                                     \
        Rec r(O::kLength);                                                                                       \
        oddsHead(r, O::kId, race, kubun, made, happyo, o.n);                                                     \
        r.s(O::HatubaiFlag, "7");                                                                                \
        const auto& list = combos().LIST;                                                                        \
        for (std::size_t i = 0; i < list.size(); ++i) {                                                          \
            int e = static_cast<int>(i) + 1;                                                                     \
            std::string kumi;                                                                                    \
            bool exists = true, out = false;                                                                     \
            for (int h : list[i]) {                                                                              \
                kumi += pad(h, 2);                                                                               \
                if (h > o.n) exists = false;                                                                     \
                else if (o.out[h]) out = true;                                                                   \
            }                                                                                                    \
            r.s(O::GROUP::Kumi(e), kumi);                                                                        \
            r.s(O::GROUP::Odds(e), oddsText(o.ODDS[i], exists, out, ODDSW));                                     \
            r.s(O::GROUP::Ninki(e), ninkiText(o.NINKI[i], exists, out, NINKIW));                                 \
        }                                                                                                        \
        r.n(O::TotalHyosu, votes(race, COUNT));                                                                  \
        return r.b;                                                                                              \
    }

KV_ODDS_FN(o2Record, O2Record, OddsUmaren, pair, umaren, umarenNinki, 4, 6, 3, 4)
KV_ODDS_FN(o4Record, O4Record, OddsUmatan, opair, umatan, umatanNinki, 4, 6, 3, 3)
KV_ODDS_FN(o5Record, O5Record, OddsSanren, trio, sanren, sanrenNinki, 6, 6, 3, 5)
KV_ODDS_FN(o6Record, O6Record, OddsSanrentan, otrio, sanrentan, sanrentanNinki, 6, 7, 4, 9)
#undef KV_ODDS_FN

}  // namespace kvsample
