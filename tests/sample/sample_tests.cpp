#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "acquisition/jvdata/jvdata.h"
#include "common/appfolder.h"
#include "common/codetable.h"
#include "common/fields.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "expansion/stats/stat_files.h"
#include "fixtures/fixtures.h"
#include "outputs.h"

namespace fs = std::filesystem;
namespace jv = kv::jv;
using kv::getField;

namespace {

// A folder of the feed (one kind of JV-Link data), relative to the application folder.
std::string feedDir(const std::string& spec) { return kv::joinPath(kv::dirs::JVFEED, spec); }

struct Generated {
    kvtest::TempDir dir;
    kvsample::WriteSummary sum;
    explicit Generated(kvsample::Phase phase, std::uint64_t seed = 1, int weeksBack = 0) {
        kvsample::Options o;
        o.appDir = dir.path();
        o.phase = phase;
        o.seed = seed;
        o.weeksBack = weeksBack;
        sum = kvsample::generate(o);
    }
    // Records of every feed file of a folder, in name order.
    std::vector<std::string> feed(const std::string& sub) const {
        std::vector<std::string> out;
        std::string folder = dir.file(feedDir(sub));
        for (const auto& name : kv::listFiles(folder)) {
            std::string bytes = dir.read(kv::joinPath(feedDir(sub), name));
            std::size_t pos = 0;
            while (pos < bytes.size()) {
                auto kind = jv::recordKindOf(std::string_view(bytes).substr(pos));
                std::size_t len = jv::receivedLength(kind);
                EXPECT_GT(len, 0u) << name << " at " << pos;
                if (len == 0 || pos + len > bytes.size()) return out;
                out.push_back(bytes.substr(pos, len));
                pos += len;
            }
        }
        return out;
    }
};

Generated& prediction() {
    static Generated g(kvsample::Phase::Prediction);
    return g;
}
Generated& result() {
    static Generated g(kvsample::Phase::Result);
    return g;
}

std::map<std::string, std::string> allFiles(const std::string& root) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::string rel = fs::relative(e.path(), root).string();
        auto bytes = kv::readFileBytes(e.path().string());
        out[rel] = bytes ? *bytes : "";
    }
    return out;
}

std::string kind(const std::string& rec) { return getField(rec, jv::Head::DataKubun); }

}  // namespace

TEST(SampleWeek, SameSeedGivesIdenticalBytesOtherSeedDiffers) {
    Generated again(kvsample::Phase::Prediction, 1);
    auto a = allFiles(prediction().dir.path());
    auto b = allFiles(again.dir.path());
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(bytes == b[name]) << name;
    }
    // Both phases describe the same world.
    const std::string hidden = kv::joinPath(kv::dirs::SAMPLE, kv::sample::HIDDEN_ABILITY);
    EXPECT_EQ(a[hidden], allFiles(result().dir.path())[hidden]);
    EXPECT_EQ(a["OPTION1N/KYOSOBA.dat"], allFiles(result().dir.path())["OPTION1N/KYOSOBA.dat"]);
    Generated other(kvsample::Phase::Prediction, 2);
    auto c = allFiles(other.dir.path());
    EXPECT_NE(a["OPTION1N/KYOSOBA.dat"], c["OPTION1N/KYOSOBA.dat"]);
}

TEST(SampleWeek, FeedRecordsHaveTheirLayoutLengthsAndParseBack) {
    const auto& g = prediction();
    for (const std::string sub : {kv::feed::WEEK, kv::feed::ODDS}) {
        auto recs = g.feed(sub);
        ASSERT_FALSE(recs.empty()) << sub;
        for (const auto& r : recs) {
            ASSERT_EQ(r.substr(r.size() - 2), "\r\n");
            auto k = jv::recordKindOf(r);
            ASSERT_NE(k, jv::RecordKind::Other);
            if (k == jv::RecordKind::KS) {
                ASSERT_EQ(r.size(), jv::KsReceived::kLength);
                auto stored = jv::storedRecord(r);
                ASSERT_TRUE(stored);
                EXPECT_EQ(stored->size(), jv::KsRecord::kLength);
                EXPECT_EQ(getField(*stored, jv::KsRecord::KisyuCode), getField(r, jv::KsReceived::KisyuCode));
            } else if (auto stored = jv::storedRecord(r)) {
                EXPECT_EQ(*stored, r);  // race and horse records are stored byte for byte
            }
        }
    }
}

TEST(SampleWeek, PredictionFeedHoldsEntriesCardsAndPastRuns) {
    const auto& g = prediction();
    auto recs = g.feed(kv::feed::WEEK);
    std::set<std::string> cards, entries, pastRaces;
    std::map<std::string, int> pastRuns;  // KettoNum -> runs before the week
    std::set<std::string> weekHorses;
    int hr = 0;
    for (const auto& r : recs) {
        std::string id = r.substr(0, 2), race = getField(r, jv::RaceIdHead::RaceId);
        if (id == "HR") ++hr;
        if (id == "RA" && kind(r) == "2") cards.insert(race);
        if (id == "RA" && kind(r) == "1") entries.insert(race);
        if (id == "RA" && kind(r) == "7") pastRaces.insert(race);
        if (id == "SE" && kind(r) == "2") weekHorses.insert(getField(r, jv::SeRecord::KettoNum));
        if (id == "SE" && kind(r) == "7") {
            ++pastRuns[getField(r, jv::SeRecord::KettoNum)];
            EXPECT_TRUE(pastRaces.count(race)) << "run without its race record " << race;
        }
    }
    EXPECT_EQ(hr, 0);
    EXPECT_EQ(static_cast<int>(cards.size()), g.sum.weekRaces);
    EXPECT_EQ(cards, entries);
    EXPECT_GE(g.sum.weekRaces, 12);
    EXPECT_LE(g.sum.weekRaces, 32);
    // Horses of the week have past runs (debut runners excepted), most of them three or more.
    int withThree = 0;
    for (const auto& k : weekHorses) withThree += pastRuns[k] >= 3;
    EXPECT_GT(withThree * 10, static_cast<int>(weekHorses.size()) * 8);
    // Every week horse has its horse record.
    std::set<std::string> um;
    for (const auto& r : recs)
        if (r.substr(0, 2) == "UM" && kind(r) != "9") um.insert(getField(r, jv::UmRecord::KettoNum));
    EXPECT_EQ(um, weekHorses);
}

TEST(SampleWeek, CodeTableLoadsAndNamesTheRacecourses) {
    const auto& g = prediction();
    std::string bytes = g.dir.read("JRACODE/CodeTable.csv");
    for (const auto& line : kv::splitLines(bytes)) {
        kv::InputReader in(line);
        int fields = 0;
        while (!in.atEnd()) {
            in.next();
            ++fields;
        }
        EXPECT_EQ(fields, 8) << kvtest::u8(line);
    }
    kv::CodeTable t;
    ASSERT_TRUE(t.load(g.dir.file("JRACODE/CodeTable.csv")));
    EXPECT_LE(t.rowCount(), kv::CodeTable::kRows);
    const char* names[] = {"札幌", "函館", "福島", "新潟", "東京", "中山", "中京", "京都", "阪神", "小倉"};
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(t.lookupText("2001", kv::zeroPad(i, 2), 4), names[i - 1]);
    EXPECT_EQ(t.lookupText("2001", "05", 6), "Tokyo");
    EXPECT_EQ(t.lookupText("2002", "1", 4), "土");
    EXPECT_EQ(t.lookupText("2011", "1", 2), "晴");
    EXPECT_EQ(t.lookupText("2010", "4", 2), "不良");
    EXPECT_EQ(t.lookupText("2202", "2", 2), "牝");
    EXPECT_EQ(t.lookupText("2009", "24", 3).substr(0, 3), "ダ");
    // Every code of the feed's race records has its texts.
    for (const auto& r : g.feed(kv::feed::WEEK)) {
        if (r.substr(0, 2) != "RA") continue;
        EXPECT_TRUE(t.lookup("2001", getField(r, jv::RaRecord::JyoCD), 4));
        EXPECT_TRUE(t.lookup("2005", getField(r, jv::RaRecord::SyubetuCD), 4));
        EXPECT_TRUE(t.lookup("2007", getField(r, jv::RaRecord::JyokenCD(5)), 2));
        EXPECT_TRUE(t.lookup("2009", getField(r, jv::RaRecord::TrackCD), 3));
        EXPECT_TRUE(t.lookup("2003", getField(r, jv::RaRecord::GradeCD), 2));
    }
}

TEST(SampleWeek, StatisticsFilesFindTheWeeksHorsesAndTheirParents) {
    const auto& g = prediction();
    namespace st = kv::stats;
    auto open = [&](st::StatFile f, const char* name) {
        f.load(st::optionFile(g.dir.path(), name));
        return f;
    };
    st::StatFile kyosoba = open(st::StatFile::kyosoba(), st::names::KYOSOBA);
    st::StatFile stallion = open(st::StatFile::parent(), st::names::STALLION);
    st::StatFile mare = open(st::StatFile::parent(), st::names::MARE);
    st::StatFile hahauma = open(st::StatFile::parent(), st::names::HAHAUMA);
    st::StatFile kishu = open(st::StatFile::seiseki(), st::names::KISHUSEISEI);
    st::StatFile chokyo = open(st::StatFile::seiseki(), st::names::CHOKYOSEISEI);
    st::StatFile hnsk = open(st::StatFile::numberPair(), st::names::HNSK);
    // Keys are unique and ascending, so the first and the last match are the same record.
    for (const st::StatFile* f : {&kyosoba, &stallion, &hahauma, &hnsk}) {
        ASSERT_GT(f->count(), 0u);
        for (std::size_t n = 2; n <= f->count(); ++n)
            EXPECT_LE(getField(f->record(n - 1), f->keyField()), getField(f->record(n), f->keyField()));
    }
    EXPECT_EQ(kv::fileSize(st::optionFile(g.dir.path(), st::names::KS_SUPPLIED)) % 4161, 0);
    EXPECT_EQ(kv::fileSize(st::optionFile(g.dir.path(), st::names::HN_SUPPLIED)) % 251, 0);
    int found = 0, runners = 0;
    for (const auto& r : g.feed(kv::feed::WEEK)) {
        if (r.substr(0, 2) == "UM" && kind(r) == "1") {
            std::string ketto = getField(r, jv::UmRecord::KettoNum);
            std::string sire = getField(r, jv::UmRecord::Ketto3Info::HansyokuNum(1));
            std::string dam = getField(r, jv::UmRecord::Ketto3Info::HansyokuNum(2));
            EXPECT_TRUE(stallion.find(sire)) << sire;
            EXPECT_TRUE(hahauma.find(dam)) << dam;
            found += kyosoba.find(ketto).has_value();
            // The foal is among its dam's foals, which follow each other.
            std::size_t p = hnsk.findNumber(dam);
            ASSERT_GT(p, 0u);
            bool listed = false;
            for (std::size_t n = p; n <= hnsk.count() && getField(hnsk.record(n), st::NumberPairRecord::Num1) == dam; ++n)
                listed |= getField(hnsk.record(n), st::NumberPairRecord::Num2) == ketto;
            EXPECT_TRUE(listed) << ketto;
            ++runners;
        }
        if (r.substr(0, 2) == "SE" && kind(r) == "2") {
            EXPECT_TRUE(kishu.find(getField(r, jv::SeRecord::KisyuCode)));
            EXPECT_TRUE(chokyo.find(getField(r, jv::SeRecord::ChokyosiCode)));
        }
    }
    EXPECT_GT(found * 10, runners * 9);
    EXPECT_GT(mare.count(), 0u);
    // Rates are thousandths of a percent.
    for (std::size_t n = 1; n <= stallion.count(); ++n)
        EXPECT_LE(st::statValue(stallion.record(n), st::ParentStatRecord::FlatRate), 100000);
}

TEST(SampleWeek, ResultPayoutsFollowTheFinishingOrders) {
    const auto& g = result();
    auto recs = g.feed(kv::feed::WEEK);
    std::map<std::string, std::map<int, int>> orderOf;  // race -> place -> horse number
    std::map<std::string, int> starters;
    std::map<std::string, std::string> payouts;
    for (const auto& r : recs) {
        std::string id = r.substr(0, 2), race = getField(r, jv::RaceIdHead::RaceId);
        if (id == "SE" && kind(r) == "7" && race.substr(0, 8) >= "20251122") {
            int place = std::stoi(getField(r, jv::SeRecord::KakuteiJyuni));
            if (place > 0) orderOf[race][place] = std::stoi(getField(r, jv::SeRecord::Umaban));
            if (getField(r, jv::SeRecord::IJyoCD) != "1") ++starters[race];
        }
        if (id == "HR") {
            EXPECT_EQ(kind(r), "7");
            payouts[race] = r;
        }
        EXPECT_NE(kind(r), "2") << "no race card remains in the result phase";
    }
    ASSERT_EQ(static_cast<int>(payouts.size()), g.sum.weekRaces);
    // Final odds of the week: the payout of each winning combination is its odds times 10.
    std::map<std::string, std::map<std::string, std::string>> odds;  // race -> "O4:kumi" -> odds text
    for (const auto& r : g.feed(kv::feed::ODDS)) {
        std::string race = getField(r, jv::RaceIdHead::RaceId), id = r.substr(0, 2);
        for (const auto& e : jv::oddsEntries(r)) odds[race][id + ":" + e.kumi] = e.odds;
        // Places paid for place bets follow the starters, as the payouts do.
        if (id == "O1") EXPECT_EQ(getField(r, jv::O1Record::FukuChakuBaraiKey), starters[race] >= 8 ? "3" : "2") << race;
    }
    namespace H = jv::HrRecord;
    auto two = [](int v) { return kv::zeroPad(v, 2); };
    for (const auto& [race, hrRec] : payouts) {
        const auto& o = orderOf[race];
        if (!o.count(2) || !o.count(3) || !o.count(4)) continue;  // dead heats: their own test
        int a = o.at(1), b = o.at(2), c = o.at(3);
        int lo = std::min(a, b), hi = std::max(a, b);
        std::vector<int> t = {a, b, c};
        std::sort(t.begin(), t.end());
        EXPECT_EQ(getField(hrRec, H::PayTansyo::Umaban(1)), two(a));
        EXPECT_EQ(getField(hrRec, H::PayTansyo::Umaban(2)), "00");
        const int places = starters[race] >= 8 ? 3 : (starters[race] >= 5 ? 2 : 0);
        EXPECT_EQ(getField(hrRec, H::PayFukusyo::Umaban(1)), places >= 1 ? two(a) : "00");
        EXPECT_EQ(getField(hrRec, H::PayFukusyo::Umaban(2)), places >= 2 ? two(b) : "00");
        EXPECT_EQ(getField(hrRec, H::PayFukusyo::Umaban(3)), places >= 3 ? two(c) : "00");
        EXPECT_EQ(getField(hrRec, H::PayUmaren::Kumi(1)), two(lo) + two(hi));
        EXPECT_EQ(getField(hrRec, H::PayUmatan::Kumi(1)), two(a) + two(b));
        EXPECT_EQ(getField(hrRec, H::PaySanrenpuku::Kumi(1)), two(t[0]) + two(t[1]) + two(t[2]));
        EXPECT_EQ(getField(hrRec, H::PaySanrentan::Kumi(1)), two(a) + two(b) + two(c));
        EXPECT_EQ(getField(hrRec, H::PaySanrentan::Kumi(2)), "000000");
        std::set<std::string> wide = {two(t[0]) + two(t[1]), two(t[0]) + two(t[2]), two(t[1]) + two(t[2])};
        std::set<std::string> got;
        for (int i = 1; i <= 3; ++i) got.insert(getField(hrRec, H::PayWide::Kumi(i)));
        EXPECT_EQ(got, wide);
        // Payouts agree with the final odds.
        auto payOf = [&](kv::Field f) { return std::stol(getField(hrRec, f)); };
        auto oddsOf = [&](const std::string& key) { return std::stol(odds[race][key]); };
        EXPECT_EQ(payOf(H::PayTansyo::Pay(1)), oddsOf("O1:" + two(a)) * 10);
        EXPECT_EQ(payOf(H::PayUmaren::Pay(1)), oddsOf("O2:" + two(lo) + two(hi)) * 10);
        EXPECT_EQ(payOf(H::PayUmatan::Pay(1)), oddsOf("O4:" + two(a) + two(b)) * 10);
        EXPECT_EQ(payOf(H::PaySanrenpuku::Pay(1)), oddsOf("O5:" + two(t[0]) + two(t[1]) + two(t[2])) * 10);
        EXPECT_EQ(payOf(H::PaySanrentan::Pay(1)), oddsOf("O6:" + two(a) + two(b) + two(c)) * 10);
        for (int i = 1; i <= 3; ++i) EXPECT_GE(payOf(H::PayFukusyo::Pay(i)), i <= places ? 100 : 0);
    }
}

TEST(SampleWeek, LiveStreamsServeEveryRaceAndDay) {
    const auto& g = result();
    auto live = kv::listFiles(g.dir.file(feedDir(kv::feed::LIVE_ODDS)));
    EXPECT_EQ(static_cast<int>(live.size()), g.sum.weekRaces);
    for (const auto& name : live) {
        std::string bytes = g.dir.read(kv::joinPath(feedDir(kv::feed::LIVE_ODDS), name));
        std::string ids;
        for (std::size_t pos = 0; pos < bytes.size();) {
            auto k = jv::recordKindOf(std::string_view(bytes).substr(pos));
            ids += bytes.substr(pos, 2);
            EXPECT_EQ(getField(bytes.substr(pos), jv::RaceIdHead::RaceId) + ".jvd", name);
            pos += jv::receivedLength(k);
        }
        EXPECT_EQ(ids, "O1O2O4O5O6");
    }
    auto days = kv::listFiles(g.dir.file(feedDir(kv::feed::LIVE_RESULTS)));
    EXPECT_EQ(days, (std::vector<std::string>{"20251122.jvd", "20251123.jvd"}));
}

TEST(SampleWeek, PostAndAnnouncementTimesAreClockTimesInRaceOrder) {
    auto clock = [](const std::string& hhmm) {
        const int h = std::stoi(hhmm.substr(0, 2)), m = std::stoi(hhmm.substr(2, 2));
        EXPECT_TRUE(h < 24 && m < 60) << hhmm;
        return h * 60 + m;
    };
    const auto& g = prediction();
    std::map<std::string, std::map<int, int>> posts;  // race day and course -> race number -> post minute
    for (const auto& r : g.feed(kv::feed::WEEK)) {
        if (r.substr(0, 2) != "RA" || kind(r) != "2") continue;
        const std::string id = getField(r, jv::RaceIdHead::RaceId);
        posts[id.substr(0, 14)][std::stoi(id.substr(14))] = clock(getField(r, jv::RaRecord::HassoTime));
    }
    ASSERT_FALSE(posts.empty());
    for (const auto& [day, races] : posts) {
        int last = -1;
        for (const auto& [num, minute] : races) {
            EXPECT_GT(minute, last) << day << " race " << num;
            last = minute;
        }
    }
    // Live odds are announced ten minutes before the post.
    for (const auto& name : kv::listFiles(g.dir.file(feedDir(kv::feed::LIVE_ODDS)))) {
        const std::string rec =
            g.dir.read(kv::joinPath(feedDir(kv::feed::LIVE_ODDS), name)).substr(0, jv::O1Record::kLength);
        const std::string id = getField(rec, jv::RaceIdHead::RaceId);
        const int post = posts.at(id.substr(0, 14)).at(std::stoi(id.substr(14)));
        EXPECT_EQ(clock(getField(rec, jv::OddsHead::HappyoTime).substr(4)), post - 10) << name;
    }
}

namespace {

// Race id -> records of the week's races in a feed folder, of one record kind.
std::map<std::string, std::vector<std::string>> byRace(const std::vector<std::string>& recs, const std::string& id,
                                                       const std::string& kindWanted) {
    std::map<std::string, std::vector<std::string>> out;
    for (const auto& r : recs)
        if (r.substr(0, 2) == id && kind(r) == kindWanted) out[getField(r, jv::RaceIdHead::RaceId)].push_back(r);
    return out;
}

int entries(const std::string& hr, kv::Field (*kumi)(std::size_t), std::size_t count) {
    int n = 0;
    for (std::size_t i = 1; i <= count; ++i) n += std::stol(getField(hr, kumi(i))) != 0 ? 1 : 0;
    return n;
}

}  // namespace

// The small week's programme: Tokyo both days and Kyoto's 12 races on the
// Saturday, fields of 4 to 8 whose registered count is the field, in both phases.
TEST(SampleWeek, SmallWeekHoldsASecondRacecourseAndSmallFields) {
    for (auto* g : {&prediction(), &result()}) {
        const char* k = g == &prediction() ? "2" : "7";
        auto ra = byRace(g->feed(kv::feed::WEEK), "RA", k);
        auto se = byRace(g->feed(kv::feed::WEEK), "SE", k);
        std::map<std::string, int> racesPerDay;             // date + racecourse -> races
        std::map<std::string, std::set<int>> smallFields;    // date -> fields of 8 or fewer
        std::set<std::string> registeredSmall;               // registered counts of Saturday's Kyoto
        for (const auto& [id, recs] : ra) {
            if (id < "20251122") continue;
            ++racesPerDay[id.substr(0, 8) + id.substr(8, 2)];
            const int field = static_cast<int>(se[id].size());
            const std::string toroku = getField(recs.front(), jv::RaRecord::TorokuTosu);
            if (field <= 8) {
                EXPECT_EQ(std::stoi(toroku), field) << id;
                smallFields[id.substr(0, 8)].insert(field);
                if (id.substr(0, 10) == "2025112208") registeredSmall.insert(toroku);
            }
        }
        EXPECT_EQ(racesPerDay, (std::map<std::string, int>{{"2025112205", 8}, {"2025112208", 12}, {"2025112305", 8}})) << k;
        EXPECT_EQ(smallFields["20251122"], (std::set<int>{4, 5, 6, 7, 8})) << k;
        EXPECT_EQ(smallFields["20251123"], (std::set<int>{5, 6, 7, 8})) << k;
        EXPECT_EQ(registeredSmall, (std::set<std::string>{"04", "05", "06", "07", "08"})) << k;
    }
}

// Dead heats for first (one also for third) and a scratched runner, in the
// final results and in the live stream alike.
TEST(SampleWeek, ResultsHoldDeadHeatsAndARunnerWithoutPopularity) {
    const auto& g = result();
    namespace H = jv::HrRecord;
    namespace S = jv::SeRecord;
    struct Expect { int tansyo, fukusyo, umatan, wide, sanrenpuku, sanrentan; };
    const std::map<std::string, Expect> deadHeats = {
        {"2025112205050705", {2, 4, 2, 5, 2, 4}},   // two first, two third
        {"2025112305050808", {2, 3, 2, 3, 1, 2}},   // two first
    };
    std::vector<std::string> live;
    for (const auto& name : kv::listFiles(g.dir.file(feedDir(kv::feed::LIVE_RESULTS)))) {
        std::string bytes = g.dir.read(kv::joinPath(feedDir(kv::feed::LIVE_RESULTS), name));
        for (std::size_t pos = 0; pos < bytes.size();) {
            const std::size_t len = jv::receivedLength(jv::recordKindOf(std::string_view(bytes).substr(pos)));
            ASSERT_GT(len, 0u);
            live.push_back(bytes.substr(pos, len));
            pos += len;
        }
    }
    std::vector<std::string> final = g.feed(kv::feed::WEEK);
    for (const std::vector<std::string>* source : {&live, &final}) {
        const char* which = source == &live ? "live" : "final";
        auto hr = byRace(*source, "HR", "7");
        auto se = byRace(*source, "SE", "7");
        std::set<std::string> tied, unpopular;
        for (const auto& [id, runners] : se) {
            if (id < "20251122") continue;
            int firsts = 0;
            for (const auto& r : runners) {
                firsts += getField(r, S::KakuteiJyuni) == "01";
                if (getField(r, S::Ninki) == "**") unpopular.insert(id);
                if (getField(r, S::DochakuKubun) == "1") {
                    EXPECT_EQ(getField(r, S::DochakuTosu), "1") << id;
                }
            }
            if (firsts > 1) tied.insert(id);
        }
        EXPECT_FALSE(unpopular.empty()) << which;
        std::set<std::string> expected;
        for (const auto& [id, e] : deadHeats) {
            expected.insert(id);
            ASSERT_EQ(hr[id].size(), 1u) << id;
            const std::string& h = hr[id].front();
            EXPECT_EQ(entries(h, H::PayTansyo::Umaban, 3), e.tansyo) << id;
            EXPECT_EQ(entries(h, H::PayFukusyo::Umaban, 5), e.fukusyo) << id;
            EXPECT_EQ(entries(h, H::PayUmatan::Kumi, 6), e.umatan) << id;
            EXPECT_EQ(entries(h, H::PayWide::Kumi, 7), e.wide) << id;
            EXPECT_EQ(entries(h, H::PaySanrenpuku::Kumi, 3), e.sanrenpuku) << id;
            EXPECT_EQ(entries(h, H::PaySanrentan::Kumi, 6), e.sanrentan) << id;
            // 馬単 in both orders of the two winners.
            const std::string a = getField(h, H::PayUmatan::Kumi(1)), b = getField(h, H::PayUmatan::Kumi(2));
            EXPECT_EQ(a.substr(2) + a.substr(0, 2), b) << id;
        }
        EXPECT_EQ(tied, expected) << which;
    }
}

// A week further back is the same world: its races are the later week's past
// races, record for record, and it has its own programme.
TEST(SampleWeek, AnEarlierWeekIsPartOfTheLaterWeeksHistory) {
    Generated earlier(kvsample::Phase::Result, 1, 1);
    const auto week = earlier.feed(kv::feed::WEEK);
    auto ra = byRace(week, "RA", "7");
    auto se = byRace(week, "SE", "7");
    std::map<std::string, int> racesPerDay;
    bool hurdle = false, deadHeat = false;
    for (const auto& [id, recs] : ra) {
        if (id < "20251115") continue;
        ASSERT_LE(id, "20251116999999") << "a race after the week";
        ++racesPerDay[id.substr(0, 10)];
        hurdle |= std::stoi(getField(recs.front(), jv::RaRecord::TrackCD)) >= 51;
        int firsts = 0;
        for (const auto& r : se[id]) firsts += getField(r, jv::SeRecord::KakuteiJyuni) == "01";
        deadHeat |= firsts > 1;
    }
    EXPECT_EQ(racesPerDay,
              (std::map<std::string, int>{{"2025111505", 8}, {"2025111508", 12}, {"2025111605", 8}, {"2025111608", 12}}));
    EXPECT_TRUE(hurdle);
    EXPECT_TRUE(deadHeat);
    EXPECT_EQ(kv::listFiles(earlier.dir.file(feedDir(kv::feed::LIVE_RESULTS))),
              (std::vector<std::string>{"20251115.jvd", "20251116.jvd"}));

    // Two weeks on, the feed carries that week's races of its horses as past races.
    Generated twoBack(kvsample::Phase::Result, 1, 2);
    const auto week2 = twoBack.feed(kv::feed::WEEK);
    ra = byRace(week2, "RA", "7");
    se = byRace(week2, "SE", "7");
    auto blankDate = [](std::string r) {
        kv::setField(r, jv::Head::MakeDate, "00000000");
        return r;
    };
    int compared = 0;
    for (const auto& r : prediction().feed(kv::feed::WEEK)) {
        const std::string id = getField(r, jv::RaceIdHead::RaceId);
        if (kind(r) != "7" || id < "20251108" || id > "20251109999999") continue;
        const std::string rid = r.substr(0, 2);
        ASSERT_TRUE(rid == "RA" || rid == "SE") << rid;
        const auto& mine = rid == "RA" ? ra[id] : se[id];
        const bool same = std::any_of(mine.begin(), mine.end(), [&](const std::string& m) { return blankDate(m) == blankDate(r); });
        EXPECT_TRUE(same) << rid << " " << id;
        ++compared;
    }
    EXPECT_GT(compared, 20);
}
