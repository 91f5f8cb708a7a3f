// Command-line steps of the past performance and hit list windows: the menu's
// buttons "過去予想成績" and "万馬券リスト" (start text, the window's load, end
// text), then the window's controls in the control dump format; history-day
// also clicks race days of the list.
#include <iostream>
#include <memory>
#include <sstream>

#include "acquisition/menu.h"
#include "cli.h"
#include "history/past_performance_window.h"
#include "history/hit_list_window.h"
#include "platform/controls/dump.h"
#include "platform/jvlink/jvlink.h"

namespace kvcli {
namespace {

struct NoShell : kv::Shell {
    bool openUrl(const std::string&) override { return false; }
    bool startProgram(const std::string&) override { return false; }
};

// The main menu over the console; the windows write their texts into it.
struct HistoryMenu {
    NoShell shell;
    std::unique_ptr<kv::JVLink> jv;
    std::unique_ptr<kv::TEZF1THISWEEKNQUEL> menu;
    explicit HistoryMenu(Context& ctx) : jv(kv::makeJVLink(ctx.feedDir)) {
        menu = std::make_unique<kv::TEZF1THISWEEKNQUEL>(ctx.messages, [] {}, *jv, shell, ctx.clock, &ctx.status);
    }
};

int pastPerformance(Context& ctx, const char* step, const std::vector<std::string>& days) {
    HistoryMenu m(ctx);
    std::unique_ptr<kv::history::KakoSeisekiQUEL> w;
    // The clicks on the race days belong to the step: they run before the
    // menu says how it ended, and the controls are printed after that.
    std::ostringstream controls;
    kv::controls::ControlDump dump(controls);
    bool failed = false;
    const std::string* missing = nullptr;
    m.menu->ShowPastPerformance = [&] {
        if (w) return true;
        w = std::make_unique<kv::history::KakoSeisekiQUEL>(*m.menu, &ctx.messages);
        w->Form_Load();
        failed = w->Failed;
        w->dump(dump);
        for (const std::string& day : days) {
            int index = -1;
            for (std::size_t i = 0; i < w->List1.size() && index < 0; ++i) {
                const std::string& item = w->List1[i];
                if (item.size() >= day.size() && item.compare(item.size() - day.size(), day.size(), day) == 0)
                    index = static_cast<int>(i);
            }
            if (index < 0 || day.empty()) {
                missing = &day;
                return false;
            }
            controls << "=== click " << day << "\n";
            w->List1_Click(index);
            failed = failed || w->Failed;
            w->dump(dump);
        }
        return !failed;
    };
    m.menu->Command11_Click();
    std::cout << controls.str();
    std::cout.flush();
    if (missing) {
        std::cerr << "korivan-cli: " << step << ": no race day " << *missing << std::endl;
        return 1;
    }
    return failed ? 1 : 0;
}

int historySearch(Context& ctx, const std::vector<std::string>&) { return pastPerformance(ctx, "history-search", {}); }

int historyDay(Context& ctx, const std::vector<std::string>& options) {
    std::vector<std::string> days;
    for (const std::string& o : options) {
        if (o.rfind("--day=", 0) != 0) {
            std::cerr << "korivan-cli: history-day: unknown option '" << o << "'" << std::endl;
            return 2;
        }
        days.push_back(o.substr(6));
    }
    return pastPerformance(ctx, "history-day", days);
}

int bigPayouts(Context& ctx, const std::vector<std::string>&) {
    HistoryMenu m(ctx);
    std::unique_ptr<kv::history::TekichuListQUEL> w;
    m.menu->ShowHitList = [&] {
        if (w) return true;
        w = std::make_unique<kv::history::TekichuListQUEL>(*m.menu, kv::YieldFn{}, &ctx.messages);
        w->Form_Load();
        return !w->Failed;
    };
    m.menu->Command15_Click();
    kv::controls::ControlDump dump(std::cout);
    w->dump(dump);
    std::cout.flush();
    return w->Failed ? 1 : 0;
}

}  // namespace

void addHistorySteps(std::vector<Step>& steps) {
    steps.push_back({"history-search",
                     "\"過去予想成績\": search of the past race days and export of their speeds, then the window's controls",
                     historySearch});
    steps.push_back({"history-day", "history-search, then a click on each --day=DAYKEY of the list and the controls",
                     historyDay});
    steps.push_back({"big-payouts", "\"万馬券リスト\": every past hit into ATARILIST.txt, the list of those over 10000 yen",
                     bigPayouts});
}

}  // namespace kvcli
