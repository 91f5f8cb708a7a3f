#include "bet_fixture.h"

#include "common/racehorse_record.h"

namespace bettest {

pred::WindowState fourHorseRace(std::int16_t kekkaMode) {
    namespace rh = kv::rh;
    pred::WindowState st;
    st.run.KekkaMode = kekkaMode;
    st.run.RaceCount = 1;
    st.run.RaceKeyList.push_back("202504050611");
    st.run.RaceIdList.push_back("2025040506010211");
    st.run.Syosai.push_back(pred::SyosaiRow{"202504050611", "11", "1545", "11", "春風特別", "サラ系3歳", "500万下", "",
                                            "ダ", "1600", " 2", "晴良", ""});
    st.run.codeTable.loadBytes(kvtest::sj("2001,06,,,中山,,,\r\n2001,05,,,東京,,,\r\n"));

    pred::RaceState& r = st.race;
    r.reset(4);
    r.RaceHorseRec.set(rh::RaceId.at(0), "2025040506010211");
    r.RaceHorseRec.set(rh::TrackCD.at(0), "24");
    r.RaceHorseRec.set(rh::TorokuTosu.at(0), "04");

    struct H {
        const char *waku, *bamei, *futan, *kishu, *chokyo, *sex, *barei, *stime, *jtime, *sagari, *jagari;
        const char *yosoJuni, *ninki, *nyusen, *chakujun;
    } horses[] = {
        {"1", "アイウエオカキクケコ", "55.0", "横山典弘", "藤沢和雄", "牡", "03", "1.35.20", "1.35.4 ", "36.10", "36.5 ",
         " 2", " 3", " 2", "02"},
        {"1", "ミホノ", "57.0", "武豊", "国枝栄", "牝", "04", "1.35.00", "1.35.1 ", "35.80", "35.9 ", " 1", " 1", " 1",
         "01"},
        {"2", "ABCDEFGHIJK", "54.0", "ルメール", "堀宣行", "セ", "05", "1.36.00", "    ", "37.00", "", " 4", " 4", "",
         "**"},
        {"2", "サクラ", "56.0", "Ｍデムーロ", "友道康夫", "牡", "10", "1.35.50", "1.35.7 ", "36.30", "36.4 ", " 3", " 2",
         " 3", "03"},
    };
    for (int h = 1; h <= 4; ++h) {
        const H& x = horses[h - 1];
        const auto i = static_cast<std::size_t>(h);
        r.Wakuban[i] = x.waku;
        r.Bamei[i] = x.bamei;
        r.Futan[i] = x.futan;
        r.KishuName[i] = x.kishu;
        r.ChokyoshiName[i] = x.chokyo;
        r.Seibetsu[i] = x.sex;
        r.Barei[i] = x.barei;
        r.SuiteiTime[i] = x.stime;
        r.JitsuTime[i] = x.jtime;
        r.SuiteiAgari3F[i] = x.sagari;
        r.JitsuAgari3F[i] = x.jagari;
        st.kept.YosoJuni[i] = x.yosoJuni;
        st.kept.Ninki[i] = x.ninki;
        st.kept.Nyusen[i] = x.nyusen;
        st.kept.Chakujun[i] = x.chakujun;
    }
    r.YosoJunUmaban = {"", "02", "01", "04", "03"};

    r.UmarenKaimeKey = {"", "0102", "0204", "0103", "0203", "0104", "0304"};
    r.UmarenKaimeDisp = {"", "0201", "0204", "0103", "0203", "0104", "0403"};
    r.UmarenKaimeCount = 6;
    r.SanrenpukuKaimeKey = {"", "010204", "010203", "020304", "010304"};
    r.SanrenKaime = {"", "020104", "020103", "020403", "010403"};
    r.SanrenpukuKaimeCount = 4;

    // Won by 2, then 1 and 4.
    r.HrRec = Payout()
                  .tansho(1, "02", "000000350", "01")
                  .fukusho(1, "02", "000000110", "01")
                  .fukusho(2, "01", "000000150", "02")
                  .fukusho(3, "04", "000000300", "05")
                  .wakuren(1, "12", "000000520", "02")
                  .umaren(1, "0102", "000000480", "002")
                  .wide(1, "0102", "000000200", "001")
                  .wide(2, "0204", "000000560", "007")
                  .wide(3, "0104", "000000610", "008")
                  .umatan(1, "0201", "000000720", "003")
                  .sanrenpuku(1, "010204", "000001150", "004")
                  .sanrentan(1, "020104", "000003890", "0011")
                  .str();
    return st;
}

}  // namespace bettest
