#include <gtest/gtest.h>

#include <array>
#include <map>

#include "bet_fixture.h"
#include "betlines/hit_check.h"
#include "betlines/payout_view.h"
#include "common/numbers.h"

using namespace bettest;
using kv::bet::CheckKaimeTekichu;
using kv::bet::KaimeLists;
using kv::bet::TekichuOutcome;
using kvtest::u8;

namespace {

using Tally = std::array<long long, 7>;  // hits H J F, CheckCount, payouts H J F
using Result = std::array<std::string, 4>;  // Tekichu, Atarime, Haito, Ninki

const std::string kTen(10, ' ');
const std::string kEleven(11, ' ');

Tally tallyOf(const pred::TierTally& t) {
    return {t.TekichuHonsen, t.TekichuJunhon, t.TekichuFukuhei, t.CheckCount, t.HaitoHonsen, t.HaitoJunhon,
            t.HaitoFukuhei};
}
Result resultOf(const pred::TekichuResult& r) { return {r.Tekichu, r.Atarime, r.Haito, r.Ninki}; }

std::map<std::string, Tally> tallies(const TekichuOutcome& o) {
    return {{"Umaren", tallyOf(o.UmarenTally)},         {"Wide", tallyOf(o.WideTally)},
            {"UmatanOmote", tallyOf(o.UmatanOmoteTally)}, {"UmatanUra", tallyOf(o.UmatanUraTally)},
            {"Sanrenpuku", tallyOf(o.SanrenpukuTally)},   {"Sanrentan", tallyOf(o.SanrentanTally)}};
}
std::map<std::string, Result> results(const TekichuOutcome& o) {
    return {{"Umaren", resultOf(o.UmarenResult)},         {"Wide1", resultOf(o.Wide1Result)},
            {"Wide2", resultOf(o.Wide2Result)},           {"Wide3", resultOf(o.Wide3Result)},
            {"Umatan", resultOf(o.UmatanResult)},         {"Sanrenpuku", resultOf(o.SanrenpukuResult)},
            {"Sanrentan", resultOf(o.SanrentanResult)}};
}

std::vector<std::string> linesUtf8(const TekichuOutcome& o) {
    std::vector<std::string> v;
    for (const auto& l : o.atLines) v.push_back(u8(l));
    return v;
}

struct Case {
    const char* name;
    std::map<int, std::string> pairsAt, triosAt;
    std::string payout;
    std::vector<std::string> at;             // expected AT lines (UTF-8, CR LF)
    std::map<std::string, Result> results;   // records that differ from the no-hit values
    std::map<std::string, Tally> tallies;    // tallies that are not all zero
};

}  // namespace

TEST(CheckKaimeTekichu, TableOfPayoutRecords) {
    const std::vector<Case> cases = {
        {"umaren 本線 hit",
         {{4, "0307"}},
         {},
         Payout().umaren(1, "0307", "000001230", "002").str(),
         {"\"AT\",\"1\",\"1\",\"本線4点目 的中\",\" 3- 7\",\"1230\"\r\n"},
         {{"Umaren", {"本線4点目", " 3- 7", "1230", "4 2"}}},
         {{"Umaren", {1, 0, 0, 1, 1230, 0, 0}}}},
        {"umaren 準本線 hit",
         {{9, "0307"}},
         {},
         Payout().umaren(1, "0307", "000001230", "002").str(),
         {"\"AT\",\"1\",\"1\",\"準本線3点目 的中\",\" 3- 7\",\"1230\"\r\n"},
         {{"Umaren", {"準本3点目", " 3- 7", "1230", "9 2"}}},
         {{"Umaren", {0, 1, 0, 1, 0, 1230, 0}}}},
        {"umaren 伏兵 hit",
         {{16, "0307"}},
         {},
         Payout().umaren(1, "0307", "000001230", "002").str(),
         {"\"AT\",\"1\",\"1\",\"伏兵4点目 的中\",\" 3- 7\",\"1230\"\r\n"},
         {{"Umaren", {"伏兵4点目", " 3- 7", "1230", "16 2"}}},
         {{"Umaren", {0, 0, 1, 1, 0, 0, 1230}}}},
        {"umaren beyond the bets still counts a match number",
         {{25, "0307"}, {2, "0105"}},
         {},
         Payout().umaren(1, "0307", "000001230", "002").wide(1, "0105", "000000300", "003").str(),
         {"\"AT\",\"2\",\"2\",\"本線2点目 的中\",\" 1- 5\",\"300\"\r\n"},
         {{"Umaren", {kTen, " 3- 7", "1230", "25 2"}}, {"Wide1", {"本線2点目", " 1- 5", "300", "2 3"}}},
         {{"Umaren", {0, 0, 0, 1, 0, 0, 0}}, {"Wide", {1, 0, 0, 1, 300, 0, 0}}}},
        {"wide at positions 2, 14 and 40",
         {{2, "0102"}, {14, "0304"}, {40, "0506"}},
         {},
         Payout()
             .wide(1, "0102", "000000150", "001")
             .wide(2, "0304", "000000980", "012")
             .wide(3, "0506", "000002100", "025")
             .str(),
         {"\"AT\",\"1\",\"2\",\"本線2点目 的中\",\" 1- 2\",\"150\"\r\n",
          "\"AT\",\"2\",\"3\",\"伏兵2点目 的中\",\" 3- 4\",\"980\"\r\n"},
         {{"Wide1", {"本線2点目", " 1- 2", "150", "2 1"}},
          {"Wide2", {"伏兵2点目", " 3- 4", "980", "14 12"}},
          {"Wide3", {kTen, " 5- 6", "2100", "40 25"}}},
         {{"Wide", {1, 0, 1, 3, 150, 0, 980}}}},
        {"dead heat: a fourth wide hit keeps kind code 4 and is tallied",
         {{1, "0102"}, {2, "0103"}, {3, "0203"}, {4, "0104"}},
         {},
         Payout()
             .wide(1, "0102", "000000100", "001")
             .wide(2, "0103", "000000200", "002")
             .wide(3, "0104", "000000300", "003")
             .wide(4, "0203", "000000400", "004")
             .str(),
         {"\"AT\",\"1\",\"2\",\"本線1点目 的中\",\" 1- 2\",\"100\"\r\n",
          "\"AT\",\"2\",\"3\",\"本線2点目 的中\",\" 1- 3\",\"200\"\r\n",
          "\"AT\",\"3\",\"4\",\"本線3点目 的中\",\" 2- 3\",\"400\"\r\n",
          "\"AT\",\"4\",\"4\",\"本線4点目 的中\",\" 1- 4\",\"300\"\r\n"},
         {{"Wide1", {"本線1点目", " 1- 2", "100", "1 1"}},
          {"Wide2", {"本線2点目", " 1- 3", "200", "2 2"}},
          {"Wide3", {"本線3点目", " 2- 3", "400", "3 4"}}},
         {{"Wide", {4, 0, 0, 4, 1000, 0, 0}}}},
        {"umatan reverse hit; a later unbet match keeps the hit",
         {{8, "0503"}, {20, "0911"}},
         {},
         Payout().umatan(1, "0305", "000002340", "009").umatan(2, "0911", "000012000", "040").str(),
         {"\"AT\",\"1\",\"5\",\"準本線2逆順 的中\",\" 3→ 5\",\"2340\"\r\n"},
         {{"Umatan", {"準本2点目裏", " 3→ 5", "2340", "16 9"}}},
         {{"UmatanUra", {0, 1, 0, 1, 0, 2340, 0}}, {"UmatanOmote", {0, 0, 0, 1, 0, 0, 0}}}},
        {"umatan in the key's order, not bet",
         {{20, "0911"}},
         {},
         Payout().umatan(1, "0911", "000012000", "040").str(),
         {},
         {{"Umatan", {kEleven, " 9→11", "12000", "39 40"}}},
         {{"UmatanOmote", {0, 0, 0, 1, 0, 0, 0}}}},
        {"umatan 正順 hit in 本線",
         {{1, "1204"}},
         {},
         Payout().umatan(1, "1204", "000000870", "002").str(),
         {"\"AT\",\"1\",\"5\",\"本線1正順 的中\",\"12→ 4\",\"870\"\r\n"},
         {{"Umatan", {"本線1点目表", "12→ 4", "870", "1 2"}}},
         {{"UmatanOmote", {1, 0, 0, 1, 870, 0, 0}}}},
        {"sanrenpuku 伏兵 hit",
         {},
         {{21, "030105"}},
         Payout().sanrenpuku(1, "010305", "000003300", "012").str(),
         {"\"AT\",\"1\",\"6\",\"伏兵7点目 的中\",\" 1- 3- 5\",\"3300\"\r\n"},
         {{"Sanrenpuku", {"伏兵7点目", " 1- 3- 5", "3300", "21 12"}}},
         {{"Sanrenpuku", {0, 0, 1, 1, 0, 0, 3300}}}},
        {"sanrenpuku beyond the bets",
         {},
         {{22, "010203"}},
         Payout().sanrenpuku(1, "010203", "000000900", "003").str(),
         {},
         {{"Sanrenpuku", {kTen, " 1- 2- 3", "900", "22 3"}}},
         {{"Sanrenpuku", {0, 0, 0, 1, 0, 0, 0}}}},
        {"sanrentan C A B of trio 10",
         {},
         {{10, "040506"}},
         Payout().sanrentan(1, "060405", "000015000", "0050").str(),
         {"\"AT\",\"1\",\"7\",\"準本線3第5順 的中\",\" 6→ 4→ 5\",\"15000\"\r\n"},
         {{"Sanrentan", {"準本3第5順目", " 6→ 4→ 5", "15000", "59 50"}}},
         {{"Sanrentan", {0, 1, 0, 1, 0, 15000, 0}}}},
        {"sanrentan B A C of trio 15 (伏兵 keeps the blank before 的中)",
         {},
         {{15, "040506"}},
         Payout().sanrentan(1, "050406", "000015000", "0050").str(),
         {"\"AT\",\"1\",\"7\",\"伏兵1第3順 的中\",\" 5→ 4→ 6\",\"15000\"\r\n"},
         {{"Sanrentan", {"伏兵1第3順目", " 5→ 4→ 6", "15000", "87 50"}}},
         {{"Sanrentan", {0, 0, 1, 1, 0, 0, 15000}}}},
        {"an all-zero sanrentan entry ends the entries of the position",
         {},
         {{1, "010203"}},
         Payout().sanrentan(1, "000000", "000000000", "0000").sanrentan(2, "010203", "000001000", "0001").str(),
         {},
         {},
         {}},
        {"an all-zero sanrentan entry after the real one",
         {},
         {{1, "010203"}},
         Payout().sanrentan(1, "010203", "000001000", "0001").sanrentan(2, "000000", "000000000", "0000").str(),
         {"\"AT\",\"1\",\"7\",\"本線1第1順 的中\",\" 1→ 2→ 3\",\"1000\"\r\n"},
         {{"Sanrentan", {"本線1第1順目", " 1→ 2→ 3", "1000", "1 1"}}},
         {{"Sanrentan", {1, 0, 0, 1, 1000, 0, 0}}}},
        {"dead heat of umaren: two hits, then an unbet match that does not overwrite",
         {{3, "0102"}, {5, "0103"}, {30, "0203"}},
         {},
         Payout()
             .umaren(1, "0102", "000000500", "001")
             .umaren(2, "0103", "000000700", "002")
             .umaren(3, "0203", "000000900", "003")
             .str(),
         {"\"AT\",\"1\",\"1\",\"本線3点目 的中\",\" 1- 2\",\"500\"\r\n",
          "\"AT\",\"2\",\"1\",\"本線5点目 的中\",\" 1- 3\",\"700\"\r\n"},
         {{"Umaren", {"本線5点目", " 1- 3", "700", "5 2"}}},
         {{"Umaren", {2, 0, 0, 3, 1200, 0, 0}}}},
        {"every kind in one race numbers its matches in order",
         {{1, "0201"}},
         {{1, "020104"}},
         Payout()
             .umaren(1, "0102", "000000480", "002")
             .wide(1, "0102", "000000200", "001")
             .umatan(1, "0201", "000000720", "003")
             .sanrenpuku(1, "010204", "000001150", "004")
             .sanrentan(1, "020104", "000003890", "0011")
             .str(),
         {"\"AT\",\"1\",\"1\",\"本線1点目 的中\",\" 1- 2\",\"480\"\r\n",
          "\"AT\",\"2\",\"2\",\"本線1点目 的中\",\" 1- 2\",\"200\"\r\n",
          "\"AT\",\"3\",\"5\",\"本線1正順 的中\",\" 2→ 1\",\"720\"\r\n",
          "\"AT\",\"4\",\"6\",\"本線1点目 的中\",\" 1- 2- 4\",\"1150\"\r\n",
          "\"AT\",\"5\",\"7\",\"本線1第1順 的中\",\" 2→ 1→ 4\",\"3890\"\r\n"},
         {{"Umaren", {"本線1点目", " 1- 2", "480", "1 2"}},
          {"Wide1", {"本線1点目", " 1- 2", "200", "1 1"}},
          {"Umatan", {"本線1点目表", " 2→ 1", "720", "1 3"}},
          {"Sanrenpuku", {"本線1点目", " 1- 2- 4", "1150", "1 4"}},
          {"Sanrentan", {"本線1第1順目", " 2→ 1→ 4", "3890", "1 11"}}},
         {{"Umaren", {1, 0, 0, 1, 480, 0, 0}},
          {"Wide", {1, 0, 0, 1, 200, 0, 0}},
          {"UmatanOmote", {1, 0, 0, 1, 720, 0, 0}},
          {"Sanrenpuku", {1, 0, 0, 1, 1150, 0, 0}},
          {"Sanrentan", {1, 0, 0, 1, 3890, 0, 0}}}},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Lists lists(c.pairsAt, c.triosAt);
        const TekichuOutcome out = CheckKaimeTekichu(c.payout, KaimeLists::of(lists));
        EXPECT_EQ(linesUtf8(out), c.at);
        for (const auto& [name, r] : results(out)) {
            auto it = c.results.find(name);
            EXPECT_EQ(r, (it != c.results.end() ? it->second : Result{kTen, "", "", ""})) << name;
        }
        for (const auto& [name, t] : tallies(out)) {
            auto it = c.tallies.find(name);
            EXPECT_EQ(t, it != c.tallies.end() ? it->second : Tally{}) << name;
        }
    }
}

TEST(CheckKaimeTekichu, SanrentanHitInEachOrderOfA本線Trio) {
    // Trio 2 holds 01 02 03 in ３連単 order (x y z).
    const Lists lists({}, {{2, "010203"}});
    const struct {
        const char* kumi;
        const char* hitText;
        const char* combo;
        int N;
    } orders[] = {
        {"010203", "本線2第1順 的中", " 1→ 2→ 3", 1}, {"010302", "本線2第2順 的中", " 1→ 3→ 2", 2},
        {"020103", "本線2第3順的中 ", " 2→ 1→ 3", 3}, {"020301", "本線2第4順的中 ", " 2→ 3→ 1", 4},
        {"030102", "本線2第5順的中 ", " 3→ 1→ 2", 5}, {"030201", "本線2第6順的中 ", " 3→ 2→ 1", 6},
    };
    for (const auto& o : orders) {
        SCOPED_TRACE(o.kumi);
        const auto out = CheckKaimeTekichu(Payout().sanrentan(1, o.kumi, "000045600", "0007").str(), KaimeLists::of(lists));
        ASSERT_EQ(out.atLines.size(), 1u);
        EXPECT_EQ(u8(out.atLines[0]), std::string("\"AT\",\"1\",\"7\",\"") + o.hitText + "\",\"" + o.combo +
                                          "\",\"45600\"\r\n");
        EXPECT_EQ(resultOf(out.SanrentanResult),
                  (Result{"本線2第" + std::to_string(o.N) + "順目", o.combo, "45600", std::to_string(6 + o.N) + " 7"}));
        EXPECT_EQ(tallyOf(out.SanrentanTally), (Tally{1, 0, 0, 1, 45600, 0, 0}));
    }
}

TEST(CheckKaimeTekichu, ApplyAddsToTheDayAndReplacesTheRaceResults) {
    pred::KeptState kept;
    kept.UmarenTally.TekichuHonsen = 2;
    kept.UmarenTally.CheckCount = 5;
    kept.UmarenTally.HaitoHonsen = 1000;
    kept.SanrentanResult.Tekichu = "earlier race";
    const Lists lists({{4, "0307"}}, {});
    CheckKaimeTekichu(Payout().umaren(1, "0307", "000001230", "002").str(), KaimeLists::of(lists)).applyTo(kept);
    EXPECT_EQ(tallyOf(kept.UmarenTally), (Tally{3, 0, 0, 6, 2230, 0, 0}));
    EXPECT_EQ(kept.UmarenResult.Tekichu, "本線4点目");
    EXPECT_EQ(kept.SanrentanResult.Tekichu, kTen);
}

TEST(CheckKaimeTekichu, AMatchedFieldWithoutANumberEndsTheCheckKeepingWhatWasDone) {
    const Lists lists({{1, "0102"}, {2, "0304"}}, {});
    {
        // Payout of the wide hit is not a number: the 馬連 hit before it stays.
        TekichuOutcome out;
        const std::string hrRec =
            Payout().umaren(1, "0102", "000000480", "002").wide(1, "0304", "00000x200", "001").str();
        EXPECT_THROW(CheckKaimeTekichu(hrRec, KaimeLists::of(lists), out), kv::ConversionError);
        ASSERT_EQ(out.atLines.size(), 1u);
        EXPECT_EQ(tallyOf(out.UmarenTally), (Tally{1, 0, 0, 1, 480, 0, 0}));
        EXPECT_EQ(tallyOf(out.WideTally), Tally{});
    }
    {
        // A blank popularity: the AT line is written, then the check ends.
        TekichuOutcome out;
        const std::string hrRec = Payout().umaren(1, "0102", "000000480", "   ").str();
        EXPECT_THROW(CheckKaimeTekichu(hrRec, KaimeLists::of(lists), out), kv::ConversionError);
        EXPECT_EQ(out.atLines.size(), 1u);
        EXPECT_EQ(out.UmarenResult.Tekichu, "本線1点目");
        EXPECT_EQ(out.UmarenResult.Ninki, "");
        EXPECT_EQ(tallyOf(out.UmarenTally), Tally{});
    }
    {
        // A blank payout of a hit: line and record are written, the payout sum fails.
        TekichuOutcome out;
        const std::string hrRec = Payout().umaren(1, "0102", "         ", "002").str();
        EXPECT_THROW(CheckKaimeTekichu(hrRec, KaimeLists::of(lists), out), kv::ConversionError);
        ASSERT_EQ(out.atLines.size(), 1u);
        EXPECT_EQ(u8(out.atLines[0]), "\"AT\",\"1\",\"1\",\"本線1点目 的中\",\" 1- 2\",\"\"\r\n");
        EXPECT_EQ(tallyOf(out.UmarenTally), (Tally{1, 0, 0, 1, 0, 0, 0}));
    }
}

TEST(CheckKaimeTekichu, EmptyListsCheckNothing) {
    const std::vector<std::string> none{""};
    KaimeLists k;
    k.UmarenKaimeKey = k.UmarenKaimeDisp = k.SanrenpukuKaimeKey = k.SanrenKaime = &none;
    const auto out = CheckKaimeTekichu(Payout().umaren(1, "0102", "000000480", "002").str(), k);
    EXPECT_TRUE(out.atLines.empty());
    EXPECT_EQ(out.matchNumber, 0);
    EXPECT_EQ(resultOf(out.UmarenResult), (Result{kTen, "", "", ""}));
}

// The keys the hit checks compare stand for the texts they replace: a pair or
// trio key reads as a combination in an order exactly when the order spelled
// out as text equals it, and packed keys are equal exactly when the texts are.
TEST(HitCheck, IntegerKeysAgreeWithTheOrdersSpelledOut) {
    auto piece = [](const std::string& s, std::size_t i) { return 2 * i < s.size() ? s.substr(2 * i, 2) : std::string(); };
    const std::vector<std::string> trios = {"010203", "030201", "010101", "010102", "0102",  "01020",
                                            "0102030", "020301", "  0102", "",       "181716"};
    const std::vector<std::string> kumis = {"010203", "020103", "010101", "010201", "  0102", "181716", "000000"};
    for (const auto& t : trios)
        for (const auto& k : kumis) {
            const std::string a = piece(t, 0), b = piece(t, 1), c = piece(t, 2);
            const std::string orders[6] = {a + b + c, a + c + b, b + a + c, b + c + a, c + a + b, c + b + a};
            unsigned expected = 0;
            for (int n = 0; n < 6; ++n)
                if (orders[n] == k) expected |= 1u << n;
            EXPECT_EQ(kv::bet::trioOrdersOf(t, k), expected) << t << " " << k;
            if (expected) EXPECT_EQ(kv::bet::unorderedKey(t, 3), kv::bet::unorderedKey(k, 3)) << t << " " << k;
            EXPECT_EQ(kv::bet::packedKey(t) == kv::bet::packedKey(k), t == k) << t << " " << k;
        }
    const std::vector<std::string> pairs = {"0102", "0201", "0101", "01", "010", "01020", "  01", ""};
    const std::vector<std::string> pairKumis = {"0102", "0201", "0101", "  01", "0000"};
    for (const auto& p : pairs)
        for (const auto& k : pairKumis) {
            const unsigned expected = (p == k ? 1u : 0u) | (p == k.substr(2, 2) + k.substr(0, 2) ? 2u : 0u);
            EXPECT_EQ(kv::bet::pairOrdersOf(p, k), expected) << p << " " << k;
            if (expected) EXPECT_EQ(kv::bet::unorderedKey(p, 2), kv::bet::unorderedKey(k, 2)) << p << " " << k;
            EXPECT_EQ(kv::bet::packedKey(p) == kv::bet::packedKey(k), p == k) << p << " " << k;
        }
}
