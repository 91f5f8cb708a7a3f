// The race list writer inside a whole prediction run of a small result week:
// the run's own bet lists and payout records reach the hit check, and the
// day's rate files are computed from the tallies it leaves.
#include <gtest/gtest.h>

#include "betlines/lup_files.h"
#include "common/quoted.h"
#include "prediction/week_fixture.h"
#include "prediction/predictions_window.h"

using namespace kvtest;

namespace {

std::vector<std::string> lines(const std::string& cp932) {
    std::vector<std::string> out;
    for (auto& l : kv::splitLines(cp932)) out.push_back(u8(l));
    return out;
}

bool hasLine(const std::vector<std::string>& ls, const std::string& l) {
    return std::find(ls.begin(), ls.end(), l) != ls.end();
}

}  // namespace

TEST(LupFilesInTheRun, ResultWeekHitsTalliesAndRates) {
    WeekFixture wk;
    const std::string id1 = "2025040506010201", id2 = "2025040506010202";
    wk.addRace(id1, {60.0f, 59.0f, 58.0f, 57.0f, 56.0f}, "7");
    wk.addRace(id2, {56.0f, 57.0f, 58.0f, 59.0f, 60.0f}, "7");
    // Race 1 won by 1, 2, 3: the best pair and the best trio of the run.
    RecordBuilder pay(hr::kLength, '0');
    pay.rec = wk.hr[0];
    pay.setRaw(hr::PayUmaren::Kumi(1), "0102").setRaw(hr::PayUmaren::Pay(1), "000000500");
    pay.setRaw(hr::PayUmaren::Ninki(1), "001");
    pay.setRaw(hr::PaySanrenpuku::Kumi(1), "010203").setRaw(hr::PaySanrenpuku::Pay(1), "000001000");
    pay.setRaw(hr::PaySanrenpuku::Ninki(1), "002");
    wk.hr[0] = pay.str();
    wk.write();

    kv::NullStatusSink status;
    kv::pred::WriterChain chain;
    chain.add(kv::pred::ChainSlot::LupFiles, kv::bet::makeLupFilesWriter());
    kv::pred::YOSOKEKKATHISWEEKNQUEL w(std::move(chain), status);
    w.Form_Load();
    ASSERT_EQ(w.st.run.KekkaMode, 1);
    EXPECT_TRUE(w.chain().failures().empty());

    const auto lup = lines(wk.dir.read("TEKICHU/20250405060102lupRCM.txt"));
    EXPECT_EQ(lup.front(), R"("DY","1","20250405")");
    EXPECT_TRUE(hasLine(lup, R"("AT","1","1","本線1点目 的中"," 1- 2","500")"));
    EXPECT_TRUE(hasLine(lup, R"("AT","2","6","本線1点目 的中"," 1- 2- 3","1000")"));
    // Race 2's record of zeros: payout lines of zero forms, no KS 3.
    EXPECT_EQ(lup.back(), R"("KS","2"," 0- 0- 0","0"," 0- 0- 0","0"," 0- 0- 0","0")");

    const auto tekichu = lines(wk.dir.read("TEKICHU/20250405060102tekichu.txt"));
    ASSERT_EQ(tekichu.size(), 10u);
    EXPECT_EQ(tekichu[2], R"("01R 的中","本線1点目","          ","本線1点目","          ","          ","          ","          ")");
    EXPECT_EQ(tekichu[5], R"("    予人","1 1","","1 2","","","","")");
    EXPECT_EQ(tekichu[6], R"("02R 的中","          ","          ","          ","          ","          ","          ","          ")");

    // After race 2: 馬連 本線 1 hit in 2 races paying 500; ３連複 over one check.
    const auto kaiteki = lines(wk.dir.read("TEKICHU/20250405060102kaiteki.txt"));
    ASSERT_EQ(kaiteki.size(), 9u);
    EXPECT_EQ(kaiteki[3], R"("馬連",41.6,0,0,50,0,0)");
    EXPECT_EQ(kaiteki[6], R"("３連複",142.8,0,0,100,0,0)");
}
