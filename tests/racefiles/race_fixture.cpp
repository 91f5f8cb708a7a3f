#include "race_fixture.h"

#include "fixtures/fixtures.h"
#include "common/racehorse_record.h"
#include "prediction/run_stages.h"

namespace racetest {

kv::pred::WindowState rankedRace(const std::vector<float>& speeds, const std::string& torokuTosu,
                                 std::int16_t kekkaMode) {
    namespace pred = kv::pred;
    pred::WindowState st;
    st.run.KekkaMode = kekkaMode;
    st.run.RaceCount = 1;
    st.run.RaceKeyList.push_back("202504050611");
    st.run.RaceIdList.push_back("2025040506010211");
    st.run.Syosai.push_back(pred::SyosaiRow{"202504050611", "11", "1545", "11", "", "サラ系3歳", "500万下", "", "ダ",
                                            "1600", "", "晴良", ""});
    st.run.codeTable.loadBytes(kvtest::sj("2001,06,,,中山,,,\r\n"));

    pred::RaceState& r = st.race;
    const int n = static_cast<int>(speeds.size());
    r.reset(n);
    r.RaceHorseRec.set(kv::rh::RaceId.at(0), "2025040506010211");
    r.RaceHorseRec.set(kv::rh::TrackCD.at(0), "24");
    r.RaceHorseRec.set(kv::rh::TorokuTosu.at(0), torokuTosu);
    for (int h = 1; h <= n; ++h) {
        const auto i = static_cast<std::size_t>(h);
        r.GoseiSpeed[i] = r.SuiteiSpeed[i] = speeds[i - 1];
        r.Wakuban[i] = std::to_string((h + 1) / 2);
        r.Bamei[i] = "ウマ" + std::to_string(h);
        r.Futan[i] = "55.0";
        r.KishuName[i] = "騎手" + std::to_string(h);
        r.ChokyoshiName[i] = "調教師" + std::to_string(h);
        r.Seibetsu[i] = "牡";
        r.Barei[i] = "04";
        r.SuiteiTime[i] = "1.40.00";
        st.kept.Chakujun[i] = "**";
    }
    pred::rankHorses(st, 1);
    pred::scorePairs(r, "202504050611");
    pred::turnPairsFasterFirst(r);
    pred::scoreTrios(r, "202504050611");
    pred::turnTriosFastestFirst(r);
    return st;
}

}  // namespace racetest
