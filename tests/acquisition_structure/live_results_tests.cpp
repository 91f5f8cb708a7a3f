#include <gtest/gtest.h>

#include "acquisition/jvdata/jvdata.h"
#include "acquisition/live_results.h"
#include "common/appfolder.h"
#include "common/recordfile.h"
#include "helpers.h"
#include "platform/jvlink/emulator.h"
#include "common/racehorse_record.h"

using namespace st;
namespace rh = kv::rh;

namespace {

struct Env {
    kvtest::TempDir dir;
    kv::RecordingMessageSink messages;
    ScriptedJV jv;
    Env() {
        kv::SetAppPath(dir.path());
        kv::makeDirs(dir.file("RACE"));
    }
};

// A JVRTOpen call as ScriptedJV notes it, and a feed file of a live stream.
std::string rtOpen(const char* spec, const std::string& key) { return std::string("JVRTOpen ") + spec + " " + key; }
std::string liveFile(const char* spec, const std::string& key) { return std::string(spec) + "/" + key + ".jvd"; }

std::string raOn(const std::string& date8, int race = 1) {
    char num[3];
    std::snprintf(num, sizeof num, "%02d", race % 100);
    return ra(date8, "2", "06", num);
}

// A live runner record with its result members.
std::string seResult(std::string kubun, std::string umaban, std::string nyusen, std::string time,
                     std::string l3, std::string odds, std::string ninki, std::string race = "11") {
    std::string r = se("20240106", kubun, "06", race, umaban, "2020100001");
    kv::setField(r, L::SeNyusenJyuni, nyusen);
    kv::setField(r, L::SeTime, time);
    kv::setField(r, L::SeHaronTimeL3, l3);
    kv::setField(r, L::SeOdds, odds);
    kv::setField(r, L::SeNinki, ninki);
    return r;
}

// A live O1 record of race 11 with the given win entries (Umaban, Odds, Ninki).
std::string o1(const std::vector<std::array<std::string, 3>>& wins, std::string race = "11") {
    namespace win = kv::jv::O1Record::OddsTansyo;
    kvtest::RecordBuilder b(kv::jv::O1Record::kLength);
    b.setRaw(L::RecordSpec, "O1").setRaw(L::DataKubun, "1").setRaw(L::MakeDate, "20240106");
    b.setRaw(L::Year, "2024").setRaw(L::MonthDay, "0106").setRaw(L::JyoCD, "06");
    b.setRaw(L::Kaiji, "01").setRaw(L::Nichiji, "01").setRaw(L::RaceNum, race);
    for (std::size_t i = 0; i < wins.size(); ++i) {
        b.setRaw(win::Umaban(i + 1), wins[i][0]).setRaw(win::Odds(i + 1), wins[i][1]);
        b.setRaw(win::Ninki(i + 1), wins[i][2]);
    }
    return b.crlf().str();
}

std::string slot0(const std::string& file, int horse, kv::Field f) {
    return kv::getField(std::string_view(file).substr((horse - 1) * rh::kRecordLength, rh::kRecordLength), f);
}

}  // namespace

TEST(LiveDates, NewestThreeDatesWithinTheLast98Records) {
    auto week = [](std::vector<std::pair<std::string, int>> runs) {
        std::vector<std::string> recs;
        for (auto& [date, count] : runs)
            for (int i = 0; i < count; ++i) recs.push_back(raOn(date, i + 1));
        return recs;
    };
    struct Case {
        std::vector<std::pair<std::string, int>> week;
        std::array<std::string, 3> dates;
    };
    const Case cases[] = {
        {{}, {"", "", ""}},
        {{{"20240106", 98}}, {"20240106", "", ""}},
        {{{"20240105", 5}, {"20240106", 3}, {"20240107", 1}}, {"20240107", "20240106", "20240105"}},
        {{{"20240104", 2}, {"20240105", 2}, {"20240106", 2}, {"20240107", 2}}, {"20240107", "20240106", "20240105"}},
        {{{"20240105", 1}, {"20240106", 97}}, {"20240106", "20240105", ""}},  // 98 records: the first is seen
        {{{"20240105", 1}, {"20240106", 98}}, {"20240106", "", ""}},          // 99: it lies beyond the walk
    };
    for (const auto& c : cases) {
        const auto d = kv::LiveDatesOf(week(c.week));
        EXPECT_EQ((std::array<std::string, 3>{d[1], d[2], d[3]}), c.dates);
        EXPECT_TRUE(d[4].empty() && d[5].empty());
    }
}

TEST(LiveResults, FivePassesStoreRaceRunnerAndPayoutRecordsUntilTheEnd) {
    Env env;
    env.dir.write("RATHISWEEKNNEW.dat", cat({raOn("20240106"), raOn("20240107")}));
    const std::string r = raOn("20240107", 5), s = seResult("7", "05", "01", "1345", "345", "0123", "01"),
                      h = hr("20240107", "06", "05");
    env.jv.streams["20240107"] = {{(int)r.size(), r}, {-1, ""}, {(int)s.size(), s},
                                  {20, "UM" + std::string(18, ' ')}, {(int)h.size(), h}, {-3, ""}, {0, ""},
                                  {(int)s.size(), s}};
    env.jv.streams["20240106"] = {{-203, ""}, {(int)s.size(), s}};
    env.jv.initResult = -101;
    kv::LiveResultsDownload dl(env.jv, env.messages);
    dl.DownloadRealtimeResults();

    const char* results = kv::feed::LIVE_RESULTS;
    EXPECT_EQ(env.jv.opens(), (std::vector<std::string>{rtOpen(results, "20240107"), rtOpen(results, "20240106"),
                                                         rtOpen(results, ""), rtOpen(results, ""),
                                                         rtOpen(results, "")}));
    EXPECT_EQ(env.messages.messages, std::vector<std::string>(5, "JVInitエラー。RC=-101"));
    EXPECT_EQ(env.dir.read("RARIALTIME.dat"), r);
    EXPECT_EQ(env.dir.read("SERIALTIME.dat"), s);  // reads stop at 0 and at -203
    EXPECT_EQ(env.dir.read("HRRIALTIME.dat"), h);

    // A second download appends the same records again.
    env.jv.streams["20240107"] = {{(int)s.size(), s}, {0, ""}};
    env.jv.streams["20240106"].clear();
    dl.DownloadRealtimeResults();
    EXPECT_EQ(env.dir.read("SERIALTIME.dat"), s + s);
}

// A disk that fills up during the downloads: the live files keep their old
// versions whole, are named, and no temporary file stays.
TEST(LiveResults, AFullDiskLeavesTheLiveFilesAsTheyWere) {
    Env env;
    const std::string race = raOn("20240106");
    env.dir.write("RATHISWEEKN.dat", race);
    env.dir.write("RATHISWEEKNNEW.dat", race);
    env.dir.write("O1RIALTIME.dat", "old line\r\n");
    const std::string oldRunner = seResult("7", "01", "02", "1345", "345", "0123", "01");
    env.dir.write("SERIALTIME.dat", oldRunner);
    const std::string a = o1({{"01", "0051", "01"}}), s = seResult("7", "05", "01", "1345", "345", "0123", "01");
    env.jv.streams[kv::getField(race, L::RaceId)] = {{(int)a.size(), a}, {(int)a.size(), a}, {-1, ""}};
    env.jv.streams["20240106"] = {{(int)s.size(), s}, {(int)s.size(), s}, {0, ""}};
    kv::fsys::Faults full;
    full.failWriteAfterBytes = static_cast<long long>(a.size()) + 10;  // within the second record
    kv::fsys::setFaults(full);
    kv::LiveResultsDownload dl(env.jv, env.messages);
    dl.DownloadRealtimeTanfukuOdds();
    dl.DownloadRealtimeResults();
    kv::fsys::clearFaults();
    EXPECT_EQ(env.dir.read("O1RIALTIME.dat"), "old line\r\n");
    EXPECT_EQ(env.dir.read("SERIALTIME.dat"), oldRunner);
    EXPECT_EQ(dl.FailedFiles(),
              (std::vector<std::string>{env.dir.file("O1RIALTIME.dat"), env.dir.file("SERIALTIME.dat")}));
    for (const auto& name : kv::listFiles(env.dir.path())) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST(LiveResults, APassThatNeverEndsIsCutOffAndNothingIsFetchedWithoutRaces) {
    {
        Env env;
        env.dir.write("RATHISWEEKNNEW.dat", raOn("20240106"));
        env.jv.end = -1;  // JV-Link answers -1 for ever
        kv::LiveResultsDownload(env.jv, env.messages).DownloadRealtimeResults();
        EXPECT_EQ(env.jv.opens().size(), 5u);
        EXPECT_EQ(env.jv.reads, 5L * kv::kLiveReadFaultLimit);
    }
    {
        Env env;  // no "RATHISWEEKNNEW.dat": no date, no pass
        kv::LiveResultsDownload dl(env.jv, env.messages);
        dl.DownloadRealtimeResults();
        EXPECT_TRUE(env.jv.calls.empty());
        EXPECT_TRUE(dl.LiveDates()[1].empty());
        EXPECT_FALSE(env.dir.exists("SERIALTIME.dat"));
    }
}

TEST(LiveResults, WinOddsComeFromTheLast97RawRacesAndOnlyFromDeliveredRecords) {
    Env env;
    std::vector<std::string> races;
    for (int i = 1; i <= 100; ++i) races.push_back(raOn("20240106", i));
    env.dir.write("RATHISWEEKN.dat", cat(races));
    env.dir.write("O1RIALTIME.dat", "old line\r\n");
    const std::string a = o1({{"01", "0051", "01"}}, "00");  // race 100's id ends in "00"
    const std::string race99 = kv::getField(races[98], L::RaceId);
    env.jv.streams[kv::getField(races[99], L::RaceId)] = {{(int)a.size(), a}, {-5, ""}};
    std::deque<ScriptedJV::Read> seven;
    for (int i = 0; i < 7; ++i) seven.push_back({(int)a.size(), a});
    env.jv.streams[race99] = seven;  // only six reads per race
    env.jv.streams[kv::getField(races[97], L::RaceId)] = {{-1, ""}, {(int)a.size(), a}};  // -1 ends the race
    env.jv.keepStaleBuffer = true;    // the failed read leaves the O1 text in the buffer
    kv::LiveResultsDownload(env.jv, env.messages).DownloadRealtimeTanfukuOdds();

    const auto opens = env.jv.opens();
    ASSERT_EQ(opens.size(), 97u);
    EXPECT_EQ(opens.front(), rtOpen(kv::feed::LIVE_ODDS, kv::getField(races[99], L::RaceId)));
    EXPECT_EQ(opens.back(), rtOpen(kv::feed::LIVE_ODDS, kv::getField(races[3], L::RaceId)));
    std::string expect;
    for (int i = 0; i < 1 + 6; ++i) expect += a;
    EXPECT_EQ(env.dir.read("O1RIALTIME.dat"), expect);
}

TEST(LiveResults, Slot0TakesTheLastRunnerRecordThenTheWinOdds) {
    Env env;
    // Race 11 has a race-horse file of 11 records; KakuteiJyuni stays as the prediction run wrote it.
    std::string file;
    for (int h = 1; h <= 11; ++h) {
        kv::RaceHorseRecord r;
        r.set(rh::KakuteiJyuni.at(0), "09");
        file += r.bytes;
    }
    env.dir.write("RACE/202401060611.dat", file);
    env.dir.write("SERIALTIME.dat",
                  cat({seResult("3", "05", "04", "1350", "350", "0150", "03"),
                       seResult("7", "05", "02", "1346", "346", "0145", "02"),
                       seResult("7", "12", "01", "1340", "340", "0020", "01"),   // beyond the file
                       seResult("7", "00", "01", "1340", "340", "0020", "01"),   // no horse number
                       seResult("7", "03", "01", "1340", "340", "0020", "01", "10")}));  // no file for race 10
    env.dir.write("O1RIALTIME.dat", o1({{"05", "0123", "04"}, {"00", "9999", "99"}, {"12", "0011", "01"},
                                        {"  ", "----", "  "}, {"07", "----", "**"}}));
    kv::UpdateRaceHorsesFromLive();

    std::string expect = file;
    auto setAt = [&](int horse, kv::Field f, std::string v) {
        std::string rec = expect.substr((horse - 1) * rh::kRecordLength, rh::kRecordLength);
        kv::setField(rec, f, v);
        expect.replace((horse - 1) * rh::kRecordLength, rh::kRecordLength, rec);
    };
    setAt(5, rh::NyusenJyuni.at(0), "02");
    setAt(5, rh::Time.at(0), "1346");
    setAt(5, rh::HaronTimeL3.at(0), "346");
    setAt(5, rh::Odds.at(0), "0123");
    setAt(5, rh::Ninki.at(0), "04");
    setAt(7, rh::Odds.at(0), "----");
    setAt(7, rh::Ninki.at(0), "**");
    const std::string got = env.dir.read("RACE/202401060611.dat");
    ASSERT_EQ(got.size(), expect.size());
    EXPECT_TRUE(got == expect);
    EXPECT_EQ(slot0(got, 5, rh::KakuteiJyuni.at(0)), "09");
    EXPECT_FALSE(env.dir.exists("RACE/202401060610.dat"));
}

TEST(LiveResults, WindowLoadRunsOverTheFeedEmulator) {
    Env env;
    kvtest::TempDir feed;
    const std::string race = raOn("20240106", 11);
    env.dir.write("RATHISWEEKN.dat", race);
    env.dir.write("RATHISWEEKNNEW.dat", race);
    std::string file;
    for (int h = 1; h <= 5; ++h) file += kv::RaceHorseRecord().bytes;
    env.dir.write("RACE/202401060611.dat", file);
    const std::string odds = o1({{"05", "0077", "01"}}), s = seResult("7", "05", "01", "1345", "345", "0123", "03");
    feed.write(liveFile(kv::feed::LIVE_ODDS, kv::getField(race, L::RaceId)), odds);
    feed.write(liveFile(kv::feed::LIVE_RESULTS, "20240106"), race + s);

    auto jv = kv::makeJVLink(feed.path());
    kv::TEZHRRIALTIME w(*jv, env.messages);
    w.Form_Load();
    EXPECT_TRUE(w.Visible);
    EXPECT_TRUE(env.messages.messages.empty()) << env.messages.messages.front();
    EXPECT_EQ(w.LiveDates()[1], "20240106");
    EXPECT_EQ(env.dir.read("O1RIALTIME.dat"), odds);
    EXPECT_EQ(env.dir.read("RARIALTIME.dat"), race);
    EXPECT_EQ(env.dir.read("SERIALTIME.dat"), s);
    const std::string got = env.dir.read("RACE/202401060611.dat");
    EXPECT_EQ(slot0(got, 5, rh::NyusenJyuni.at(0)), "01");
    EXPECT_EQ(slot0(got, 5, rh::Time.at(0)), "1345");
    EXPECT_EQ(slot0(got, 5, rh::Odds.at(0)), "0077");
    EXPECT_EQ(slot0(got, 5, rh::Ninki.at(0)), "01");
    w.Command1_Click();
    EXPECT_FALSE(w.Visible);
}

TEST(LiveResults, EmulatorErrorsAreReportedOrReadPast) {
    Env env;
    kvtest::TempDir feed;
    const std::string a = raOn("20240106", 1), b = raOn("20240106", 2);
    env.dir.write("RATHISWEEKN.dat", a + b);
    env.dir.write("RATHISWEEKNNEW.dat", a + b);
    const std::string oddsA = o1({{"01", "0031", "01"}}, "01"), oddsB = o1({{"01", "0032", "01"}}, "02");
    feed.write(liveFile(kv::feed::LIVE_ODDS, kv::getField(a, L::RaceId)), oddsA);
    feed.write(liveFile(kv::feed::LIVE_ODDS, kv::getField(b, L::RaceId)), oddsB);
    const std::string s1 = seResult("7", "01", "01", "1345", "345", "0031", "01", "01"),
                      s2 = seResult("7", "02", "02", "1346", "346", "0045", "02", "01");
    feed.write(liveFile(kv::feed::LIVE_RESULTS, "20240106"), s1 + s2);
    // Race 2 has no live odds yet; a read error in the middle of the results is read past.
    feed.write("control.txt", std::string("[") + kv::feed::LIVE_ODDS + "]\nopen_result." + kv::getField(b, L::RaceId) +
                                  " = -1\n[" + kv::feed::LIVE_RESULTS + "]\nread_error = -502\nread_error_after = 1\n");
    {
        auto jv = kv::makeJVLink(feed.path());
        kv::TEZHRRIALTIME w(*jv, env.messages);
        w.Form_Load();
        EXPECT_TRUE(env.messages.messages.empty());
        EXPECT_EQ(env.dir.read("O1RIALTIME.dat"), oddsA);
        EXPECT_EQ(env.dir.read("SERIALTIME.dat"), s1 + s2);
    }
    // JVInit failing: one message per race and per pass, the work goes on and fetches nothing.
    feed.write("control.txt", "init_result = -301\n");
    env.dir.write("SERIALTIME.dat", "");
    auto jv = kv::makeJVLink(feed.path());
    kv::TEZHRRIALTIME w(*jv, env.messages);
    w.Form_Load();
    EXPECT_EQ(env.messages.messages, std::vector<std::string>(2 + 5, "JVInitエラー。RC=-301"));
    EXPECT_EQ(env.dir.read("O1RIALTIME.dat"), "");
    EXPECT_EQ(env.dir.read("SERIALTIME.dat"), "");
    EXPECT_TRUE(w.FailedFiles().empty());
}
