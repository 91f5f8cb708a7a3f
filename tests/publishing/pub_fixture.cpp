#include "pub_fixture.h"

#include "common/appfolder.h"
#include "common/recordfile.h"
#include "common/racehorse_record.h"
#include "prediction/run_stages.h"

namespace pubtest {

namespace pred = kv::pred;

namespace {

// Ranks the horses and builds the pair and trio lists from the speeds.
void buildLists(pred::WindowState& st, int RaceIdx) {
    pred::RaceState& r = st.race;
    for (int h = 1; h <= r.HorseCount; ++h) r.GoseiSpeed[static_cast<std::size_t>(h)] = r.SuiteiSpeed[static_cast<std::size_t>(h)];
    pred::rankHorses(st, RaceIdx);
    const std::string key = st.run.raceKey(RaceIdx);
    pred::scorePairs(r, key);
    pred::turnPairsFasterFirst(r);
    pred::scoreTrios(r, key);
    pred::turnTriosFastestFirst(r);
}

void startRace(pred::WindowState& st, const std::string& raceId, int n, const std::string& torokuTosu) {
    const std::string key = raceId.substr(0, 10) + raceId.substr(14, 2);
    st.run.RaceKeyList.push_back(key);
    st.run.RaceIdList.push_back(raceId);
    st.run.RaceCount = static_cast<int>(st.run.RaceKeyList.size()) - 1;
    const std::string num = raceId.substr(14, 2);
    st.run.Syosai.push_back(pred::SyosaiRow{key, std::to_string(std::stoi(num)), "0950", num, "", "サラ系3歳", "未勝利",
                                            "", "芝", "1600", " 5", "晴良", ""});
    pred::RaceState& r = st.race;
    r.reset(n);
    r.RaceHorseRec = kv::RaceHorseRecord{};
    r.RaceHorseRec.set(kv::rh::RaceId.at(0), raceId);
    r.RaceHorseRec.set(kv::rh::TrackCD.at(0), "10");
    r.RaceHorseRec.set(kv::rh::TorokuTosu.at(0), torokuTosu);
    for (int h = 1; h <= n; ++h) {
        const auto i = static_cast<std::size_t>(h);
        r.Wakuban[i] = std::to_string((h - 1) % 8 + 1);
        r.Bamei[i] = "ウマ" + std::to_string(h) + std::string(30, ' ');
        r.Futan[i] = "55.0";
        r.KishuName[i] = "騎手" + std::to_string(h) + "郎    ";
        r.ChokyoshiName[i] = "調教師" + std::to_string(h) + "    ";
        r.Seibetsu[i] = "牡";
        r.Barei[i] = "03";
        r.SuiteiSpeed[i] = 60.0f - 0.5f * static_cast<float>(h - 1);
    }
}

}  // namespace

void setRace(pred::WindowState& st, const std::string& raceId, int n, const std::string& torokuTosu) {
    startRace(st, raceId, n, torokuTosu);
    buildLists(st, st.run.RaceCount);
}

pred::WindowState fiveHorseRace(std::int16_t kekkaMode) {
    pred::WindowState st;
    st.run.KekkaMode = kekkaMode;
    st.run.codeTable.loadBytes(kvtest::sj("2001,06,,,中山,,Nakayama,\r\n2001,09,,,阪神,,hanshin,\r\n"));
    startRace(st, "2025040506030501", 5, "05");
    pred::RaceState& r = st.race;
    struct H {
        const char *waku, *bamei, *kishu, *chokyo, *sex, *barei, *futan;
        float speed;
    } horses[] = {
        {"1", "アイウエオカキクケコサシスセ", "横山典弘一", "藤沢和雄", "牡", "04", "56.0", 58.5f},
        {"2", "ミホノ", "武豊", "国枝栄", "牝", "03", "54.0", 61.0f},
        {"3", "ABCDEFGHIJK", "ルメール", "堀宣行", "セ", "10", "57.0", 60.0f},
        {"6", "サクラ", "Ｍデムーロ", "友道康夫", "牡", "05", "57.0", 59.0f},
        {"8", "キタサン", "池添謙一", "清水久詞", "牝", "04", "55.0", 57.0f},
    };
    for (int h = 1; h <= 5; ++h) {
        const H& x = horses[h - 1];
        const auto i = static_cast<std::size_t>(h);
        r.Wakuban[i] = x.waku;
        r.Bamei[i] = x.bamei;
        r.KishuName[i] = x.kishu;
        r.ChokyoshiName[i] = x.chokyo;
        r.Seibetsu[i] = x.sex;
        r.Barei[i] = x.barei;
        r.Futan[i] = x.futan;
        r.SuiteiSpeed[i] = x.speed;
    }
    buildLists(st, 1);
    return st;
}

AppDir::AppDir() {
    kv::SetAppPath(dir.path());
    for (const char* d : {kv::dirs::TEKICHU, kv::dirs::TANFUKU, kv::dirs::TANFUKU2, kv::dirs::TANSHO, kv::dirs::SOKUDO,
                          kv::dirs::YOSOU_HTML, kv::dirs::WP})
        kv::makeDirs(dir.file(d));
}

}  // namespace pubtest
