#include "history/past_performance_window.h"

#include <algorithm>

#include "common/appfolder.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "history/day_items.h"
#include "history/history_report.h"
#include "history/past_days.h"
#include "platform/step_report.h"

namespace kv::history {

namespace {
const char* const kTabs1[] = {"的中状況", "的中率・回収率", "レース詳細", "単複的中状況"};
}  // namespace

KakoSeisekiQUEL::KakoSeisekiQUEL(StatusSink& menu, MessageSink* messages)
    : SSTab1(4),
      KakoSeiFG(50, 8, 2, 1),
      TekiKaiFG(9, 7, 2, 1),
      TanFukuFG(38, 12, 2, 1),
      TFTekiKaiFG(7, 12, 1, 1),
      SSTab2(kRaceTabs),
      menu_(menu),
      messages_(messages) {
    for (int i = 0; i < 4; ++i) SSTab1.setCaption(i, kTabs1[i]);
    SSTab1.setCurrent(3);
    for (int i = 0; i < kRaceTabs; ++i) {
        SSTab2.setCaption(i, std::to_string(i + 1) + "　R");
        TKFG[i] = controls::GridModel(8, 4, 1, 1);
        RACEFG[i] = controls::GridModel(19, 14, 1, 1);
    }
    SSTab2.setCurrent(kRaceTabs - 1);
}

void KakoSeisekiQUEL::failed(const std::string& path) {
    if (std::find(WriteFailures.begin(), WriteFailures.end(), path) == WriteFailures.end())
        WriteFailures.push_back(path);
}

void KakoSeisekiQUEL::Form_Load() {
    AppPath = GetAppPath();
    WriteFailures.clear();
    const auto earlier = beginStep(AppPath, steps::HISTORY_SEARCH);
    SearchPastRaceDays();
    ExportPastSpeeds();
    Failed = tellHistoryReport(steps::HISTORY_SEARCH, kMenuLabel, earlier, WriteFailures, messages_);
}

void KakoSeisekiQUEL::SearchPastRaceDays() {
    List1.clear();
    const std::string folder = appFile(dirs::TEKICHU);
    std::string index;
    walkPastDates(
        findPastDays(folder, suffix::TEKICHU), [this](int y, int m, int d) { status(searchText(y, m, d)); },
        [&](const PastDay& day) {
            DayItems f(joinPath(folder, day.DayKey + suffix::TEKICHU));
            std::string head[6];
            for (std::string& h : head) h = f.nextText();
            if (head[0].empty()) return;
            std::string item;
            for (const std::string& h : head) item += h;
            List1.push_back(item + std::string(18, ' ') + day.DayKey);
            index += day.DayKey + "\r\n";
        });
    const std::string path = joinPath(folder, infolder::RACEID_INDEX);
    indexWritten_ = writeFileAtomic(path, index);
    if (!indexWritten_) failed(path);
}

void KakoSeisekiQUEL::dump(controls::ControlDump& d) const {
    d.list("List1", List1);
    d.tabs("SSTab1", SSTab1);
    d.grid("KakoSeiFG", KakoSeiFG);
    d.grid("TekiKaiFG", TekiKaiFG);
    d.text("Text1", Text1);
    d.tabs("SSTab2", SSTab2);
    for (int i = 0; i < kRaceTabs; ++i) {
        d.text(controls::arrayName("Text2", i), Text2[i]);
        d.grid(controls::arrayName("TKFG", i), TKFG[i]);
        d.grid(controls::arrayName("RACEFG", i), RACEFG[i]);
    }
    d.grid("TanFukuFG", TanFukuFG);
    d.grid("TFTekiKaiFG", TFTekiKaiFG);
}

}  // namespace kv::history
