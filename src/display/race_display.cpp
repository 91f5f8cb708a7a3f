#include "display/race_display.h"

#include <cstdio>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/numbers.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "display/texts.h"

namespace kv::display {

std::string SelectedHorseText;

const char* const kWindowCaption = "予想・結果  Ver.2024.8.12A";
const char* const kLabel1Text = "馬名をクリックすればその馬の全過去走の予想因子詳細がご覧になれます。";
const char* const kLabel2Text =
    "信頼度はサンプル数を表しAが一番多くFはゼロ、左端より騎手・調教師・父馬・母父馬・生産牧場の信頼度となります";
const char* const kLabel3Text =
    "買い目及び順目は馬番A,B,Cが予想順位から得られた場合,第1順の買い目はA→B→Cとなり、買い目に表示されているものと一"
    "致します。第2順はA→C→B,第3順はB→A→C,第4順はB→C→A、第5順はC→A→B,第6順はC→B→Aとなります。順序を問わない場"
    "合はA,B,Cの3連単ボックスと同一になります。なお、準本線3点目第6順目までの買い目60点は上位5頭3連単ボックス買いの6"
    "0点とは等価では有りません。理論的にはより最適化された買い目となります。";
const char* const kLabel4Text = "最上段は予想順位による馬番、中段段は着順  最下段は順位　縦軸は単勝オッズ";

namespace {

constexpr int kSyosaiRows = 96;

// Year, MonthDay, JyoCD and RaceNum of a record's race id, joined.
std::string recordRaceKey(std::string_view rec) {
    namespace rid = kv::jv::RaceIdHead;
    return getField(rec, rid::Year) + getField(rec, rid::MonthDay) + getField(rec, rid::JyoCD) +
           getField(rec, rid::RaceNum);
}

// Calls fn with every complete record of a record file, in file order, and
// returns the last one ("" for none). The week's race file holds the races of
// the history too: it is read in blocks, not whole.
template <class F>
std::string forEachRecord(const std::string& path, std::size_t len, F fn) {
    std::string last;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return last;
    std::vector<char> block(len * 512);
    for (;;) {
        const std::size_t have = std::fread(block.data(), 1, block.size(), f);
        for (std::size_t i = 0; i + len <= have; i += len) fn(std::string_view(block.data() + i, len));
        if (have >= len) last.assign(block.data() + (have / len - 1) * len, len);
        if (have < block.size()) break;
    }
    std::fclose(f);
    return last;
}

}  // namespace

RaceDisplay::RaceDisplay(pred::WindowState& st) : SSTab1(7, 7), st_(st) {
    static const char* const captions[7] = {"因子", "残差", "馬連･馬単", "3連複", "3連単", "配当", "予順・人気"};
    for (int i = 0; i < 7; ++i) SSTab1.setCaption(i, captions[i]);
    Label1.text = kLabel1Text;
    Label2.text = kLabel2Text;
    Label3.text = kLabel3Text;
    Label4.text = kLabel4Text;
    YNjunMSChart.setColumnCount(2);
    RACEDETAILGrid1.setClickHandler([this](int, int) { RACEDETAILGrid1_Click(); });
    RACEDETAILGrid2.setClickHandler([this](int, int) { RACEDETAILGrid2_Click(); });
}

std::vector<std::string> RaceDisplay::predictionRunNotes(const std::string& appDir) {
    return steps::warningsFor(appDir, steps::RACE_DISPLAY);
}

std::string RaceDisplay::selectedRaceKey() const { return lastChars(selectedText_, 12); }

bool RaceDisplay::List1_Click(int p) {
    if (p < 1 || p > kSyosaiRows || static_cast<std::size_t>(p) > st_.List1.size() ||
        static_cast<std::size_t>(p) >= st_.run.Syosai.size())
        return false;
    selected_ = p;
    selectedText_ = st_.List1[static_cast<std::size_t>(p - 1)];
    const std::string key = selectedRaceKey();

    // Header.
    const pred::SyosaiRow& row = st_.run.Syosai[static_cast<std::size_t>(p)];
    Text1.text = selectedText_ + row[4] + row[5] + row[6] + row[7] + row[8] + row[9] + "m " + "SD=" + row[10] + " " +
                 row[11];
    Text1.back = palette(kLightGreen);

    layoutHaitoGrid();

    // Mode test: the race-card records of the week. The race records of the
    // selected race are noted on the way for the live path.
    RaceKeyList.assign(1, std::string());
    std::string keyLines;
    std::vector<long> raceRecordTosu;
    const std::string lastRa = forEachRecord(appFile(files::RA_NEW), kv::jv::RaRecord::kLength, [&](std::string_view rec) {
        const std::string recKey = recordRaceKey(rec);
        if (recKey == key)
            raceRecordTosu.push_back(static_cast<long>(vbFix(val(getField(rec, kv::jv::RaRecord::TorokuTosu)))));
        if (getField(rec, kv::jv::RaRecord::DataKubun) == "2") {
            RaceKeyList.push_back(recKey);
            keyLines += QuotedLine().textRaw(recKey).line();
        }
    });
    ListRaceCount = static_cast<long>(RaceKeyList.size()) - 1;
    if (!writeFileAtomic(appFile(files::RACE_INDEX), keyLines)) st_.WriteFailures.push_back(appFile(files::RACE_INDEX));
    if (!lastRa.empty()) st_.RaRec = lastRa;

    bool kaimeShown = false;
    auto showForPayout = [&] {
        ShowHaitoGrid();
        SelTorokuTosu = static_cast<long>(vbFix(val(getField(st_.race.HrRec, kv::jv::HrRecord::TorokuTosu))));
        ShowKaimeGrids();
        kaimeShown = true;
    };
    if (ListRaceCount > 0) {
        // Live: the bets once per race record of the race, then the live payouts.
        for (long tosu : raceRecordTosu) {
            SelTorokuTosu = tosu;
            ShowKaimeGrids();
            kaimeShown = true;
        }
        const auto live = RecordFile(appFile(files::HR_LIVE), kv::jv::HrRecord::kLength).readAll();
        ListHrCount = static_cast<long>(live.size());
        for (const std::string& rec : live) {
            st_.race.HrRec = rec;
            if (recordRaceKey(rec) != key) continue;
            Text1.back = palette(kLightYellow);
            showForPayout();
        }
    } else {
        for (const std::string& rec : RecordFile(appFile(files::HR), kv::jv::HrRecord::kLength).readAll()) {
            st_.race.HrRec = rec;
            if (recordRaceKey(rec) == key) showForPayout();
        }
    }
    // Without a record of the race the bet grids still show this race, uncoloured.
    if (!kaimeShown) showKaimeGrids(false);

    ShowRaceCard();
    return true;
}

void RaceDisplay::raceDetailClick(const controls::GridModel& g) {
    SelectedHorseText = g.text(g.row(), g.col());
    if (showKakoso) showKakoso();
}

void RaceDisplay::RACEDETAILGrid1_Click() { raceDetailClick(RACEDETAILGrid1); }
void RaceDisplay::RACEDETAILGrid2_Click() { raceDetailClick(RACEDETAILGrid2); }

void RaceDisplay::dump(controls::ControlDump& out) const {
    out.list("List1", st_.List1);
    out.text("Text1", Text1);
    out.tabs("SSTab1", SSTab1);
    out.grid("RACEDETAILGrid1", RACEDETAILGrid1);
    out.text("Label1", Label1);
    out.text("Label2", Label2);
    out.grid("RACEDETAILGrid2", RACEDETAILGrid2);
    out.grid("UMATANGrid2", UMATANGrid2);
    out.grid("UMARENGrid1", UMARENGrid1);
    out.grid("SANRENGrid3", SANRENGrid3);
    out.grid("SANTANGrid4", SANTANGrid4);
    out.text("Label3", Label3);
    out.grid("HAITOGrid1", HAITOGrid1);
    out.chart("YNjunMSChart", YNjunMSChart);
    out.text("Label4", Label4);
}

}  // namespace kv::display
