// Previous-day fixing: the entries of the week's horses and the race file in
// prediction and result mode.
#include <gtest/gtest.h>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/recordfile.h"
#include "expansion/expansion_window.h"
#include "expansion/fixday.h"
#include "fixtures/fixtures.h"
#include "fixtures/jv_records.h"

using namespace kv::expansion;
namespace se = kv::jv::se;
namespace ra = kv::jv::ra;

namespace {

struct FixDayTest : ::testing::Test {
    kvtest::TempDir dir;
    kv::RecordingStatusSink status;
    kv::RecordingMessageSink messages;
    kv::NullProgressSink progress;
    void SetUp() override { kv::SetAppPath(dir.path()); }

    std::string runFile(const std::string& k) const { return std::string("UMAGOTOTHISWEEKN/") + k + ".dat"; }
    std::vector<std::string> runs(const std::string& k) const {
        return kv::RecordFile(dir.file(runFile(k)), se::kLength).readAll();
    }
};

std::string raceId(int n) { return kvtest::jvRaceId(2026, 1206, 5, 5, 1, n); }

}  // namespace

TEST_F(FixDayTest, EntriesOfTheWeeksHorses) {
    auto rec = [](int race, const char* weight) {
        return kvtest::jvSE(raceId(race), 1, "2019100001").setRaw(se::BaTaijyu, weight).str();
    };
    // A: first run this week. B: three runs, the second weighed 486, a jockey change
    // and a weight change on the entry. C: changes given as zeros. D: no run file.
    dir.write(runFile("A"), kvtest::jvSE(raceId(1), 1, "A").setRaw(se::BaTaijyu, "502").setRaw(se::TimeDiff, "+012").str());
    dir.write(runFile("B"), rec(1, "470") + rec(2, "486") +
                                kvtest::jvSE(raceId(3), 1, "B")
                                    .setRaw(se::BaTaijyu, "490")
                                    .setRaw(se::KisyuCodeBefore, "01234")
                                    .set(se::KisyuRyakusyoBefore, "前騎手")
                                    .setRaw(se::FutanBefore, "570")
                                    .str());
    dir.write(runFile("C"), rec(1, "470") +
                                kvtest::jvSE(raceId(2), 1, "C")
                                    .setRaw(se::KisyuCodeBefore, "00000")
                                    .setRaw(se::FutanBefore, "000")
                                    .str());
    // Names that would lead out of the run-file folder are passed over.
    dir.write("KETTONUMTHISWEEKN.dat", "A\r\nB\r\nC\r\nD\r\n../evil\r\n..\\evil2\r\n");

    const FixUmagotoResult fixed = FixUmagotoZenjitsu();
    EXPECT_EQ(fixed.written, 3);
    EXPECT_EQ(fixed.failed, 0);
    EXPECT_FALSE(dir.exists("evil.dat"));
    EXPECT_FALSE(dir.exists("evil2.dat"));
    const auto a = runs("A");
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(kv::getField(a[0], se::BaTaijyu), "440");
    EXPECT_EQ(kv::getField(a[0], se::TimeDiff), "0000");

    const auto b = runs("B");
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[1], rec(2, "486"));  // earlier runs untouched
    EXPECT_EQ(kv::getField(b[2], se::BaTaijyu), "486");
    EXPECT_EQ(kv::getField(b[2], se::KisyuCode), "01234");
    EXPECT_EQ(kvtest::u8(kv::getField(b[2], se::KisyuRyakusyo)), "前騎手  ");
    EXPECT_EQ(kv::getField(b[2], se::Futan), "570");
    EXPECT_EQ(kv::getField(b[2], se::KisyuCodeBefore), "01234");

    const auto c = runs("C");
    EXPECT_EQ(kv::getField(c[1], se::KisyuCode), "01001");
    EXPECT_EQ(kv::getField(c[1], se::Futan), "550");
    EXPECT_EQ(kv::getField(c[1], se::BaTaijyu), "470");

    EXPECT_TRUE(dir.exists(runFile("D")));
    EXPECT_EQ(dir.read(runFile("D")), "");

    // Pressing it again gives the same files.
    const std::string before = dir.read(runFile("B"));
    FixUmagotoZenjitsu();
    EXPECT_EQ(dir.read(runFile("B")), before);
}

// A horse list repeated over and over fixes each horse once (the same run files
// as the list once); the step succeeds and its message notes the repeats.
TEST_F(FixDayTest, RepeatedHorseListFixesEachHorseOnceWithANote) {
    auto setUp = [&](int times) {
        dir.write(runFile("A"), kvtest::jvSE(raceId(1), 1, "A").setRaw(se::BaTaijyu, "502").str());
        dir.write(runFile("B"), kvtest::jvSE(raceId(1), 1, "B").setRaw(se::BaTaijyu, "470").str() +
                                    kvtest::jvSE(raceId(2), 1, "B").setRaw(se::KisyuCodeBefore, "01234").str());
        std::string list;
        for (int i = 0; i < times; ++i) list += "\"A\"\r\n\"B\"\r\n";
        dir.write("KETTONUMTHISWEEKN.dat", list);
        dir.write("RATHISWEEKNNEW.dat", kvtest::jvRA(raceId(1), "1").str());
    };
    setUp(1);
    EXPECT_EQ(FixUmagotoZenjitsu().written, 2);
    const std::string a = dir.read(runFile("A")), b = dir.read(runFile("B"));

    setUp(2000);
    const FixUmagotoResult fixed = FixUmagotoZenjitsu();
    EXPECT_EQ(fixed.written, 2);
    EXPECT_EQ(fixed.repeatsSkipped, 3998);
    EXPECT_EQ(dir.read(runFile("A")), a);
    EXPECT_EQ(dir.read(runFile("B")), b);

    setUp(2000);
    KORIVANEXPDTHISWEEKNQUEL w(status, messages, progress);
    w.Form_Load();
    EXPECT_TRUE(w.Command3_Click());
    EXPECT_EQ(status.last("Text1"), "前日固定終了");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("KETTONUMTHISWEEKN.dat で繰り返されたレコード 3998 件を読み飛ばしました"),
              std::string::npos)
        << messages.messages[0];
}

TEST_F(FixDayTest, RacesInPredictionMode) {
    auto race = [](int n, const char* kubun) {
        return kvtest::jvRA(raceId(n), kubun).setRaw(ra::TenkoCD, "3").setRaw(ra::SibaBabaCD, "4").setRaw(ra::DirtBabaCD, "2").str();
    };
    dir.write("RATHISWEEKNNEW.dat", race(1, "1") + race(2, "2") + race(3, "1"));
    KORIVANEXPDTHISWEEKNQUEL w(status, messages, progress);
    w.Form_Load();
    ASSERT_TRUE(w.Command3_Click());
    EXPECT_EQ(status.last("Text1"), "前日固定終了");
    EXPECT_EQ(w.controls().ProgressBar1.value, 100);
    const auto recs = kv::RecordFile(dir.file("RATHISWEEKNNEW.dat"), ra::kLength).readAll();
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(kv::getField(recs[0], kv::Field{887, 3}), "111");
    EXPECT_EQ(recs[1], race(2, "2"));
    EXPECT_EQ(kv::getField(recs[2], kv::Field{887, 3}), "111");
    EXPECT_FALSE(dir.exists("RACETHISWEEKN.dat"));
}

TEST_F(FixDayTest, RacesInResultMode) {
    auto race = [](int n) { return kvtest::jvRA(raceId(n), "7").setRaw(ra::TenkoCD, "2").str(); };
    dir.write("RATHISWEEKNNEW.dat", race(1) + race(2) + race(3));
    dir.write("HRTHISWEEKN.dat", kvtest::jvHR(raceId(3)).str() + kvtest::jvHR(raceId(1)).str() +
                                     kvtest::jvHR(raceId(3)).str());
    dir.write("RACETHISWEEKN.dat", "\"old\"\r\n\"older\"\r\n\"oldest\"\r\n\"x\"\r\n");
    const FixRaceResult r = FixRaceZenjitsu();
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.resultMode);
    const auto recs = kv::RecordFile(dir.file("RATHISWEEKNNEW.dat"), ra::kLength).readAll();
    EXPECT_EQ(kv::getField(recs[0], kv::Field{887, 3}), "111");
    EXPECT_EQ(recs[1], race(2));
    EXPECT_EQ(kv::getField(recs[2], kv::Field{887, 3}), "111");
    EXPECT_EQ(dir.read("RACETHISWEEKN.dat"),
              "\"202612060503\"\r\n\"202612060501\"\r\n\"202612060503\"\r\n");
}

TEST_F(FixDayTest, MissingRaceFileIsReported) {
    KORIVANEXPDTHISWEEKNQUEL w(status, messages, progress);
    w.Form_Load();
    EXPECT_FALSE(w.Command3_Click());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], "RATHISWEEKNNEW.dat が有りません。先に②構造・中止処理を行って下さい。");
    EXPECT_EQ(status.last("Text1"), KORIVANEXPDTHISWEEKNQUEL::kFixFailedText);
    dir.write("RATHISWEEKNNEW.dat", std::string(100, '1'));  // shorter than one record
    EXPECT_FALSE(w.Command3_Click());
}

TEST_F(FixDayTest, FilesThatCannotBeWrittenAreReported) {
    // Result mode, and the race list's name is taken by a folder; a listed horse
    // whose run file cannot be created (no run folder at all).
    dir.write("RATHISWEEKNNEW.dat", kvtest::jvRA(raceId(1), "7").str());
    dir.write("HRTHISWEEKN.dat", kvtest::jvHR(raceId(1)).str());
    kv::makeDirs(dir.file("RACETHISWEEKN.dat"));
    dir.write("KETTONUMTHISWEEKN.dat", "2019100009\r\n");
    KORIVANEXPDTHISWEEKNQUEL w(status, messages, progress);
    w.Form_Load();
    EXPECT_FALSE(w.Command3_Click());
    EXPECT_EQ(status.last("Text1"), KORIVANEXPDTHISWEEKNQUEL::kFixFailedText);
    // One message naming both failures.
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("RACETHISWEEKN.dat"), std::string::npos);
    EXPECT_NE(messages.messages[0].find("前日固定できなかった馬が 1 頭あります（最初: 2019100009）"), std::string::npos);
    // The race file keeps its codes.
    EXPECT_EQ(dir.read("RATHISWEEKNNEW.dat"), kvtest::jvRA(raceId(1), "7").str());
}
