// The program's windows and the services they share: the main menu with every
// window it opens wired to its buttons, as the korivan executable runs them.
#pragma once
#include <string>

#include "acquisition/ui/menu_view.h"
#include "acquisition/ui/odds_views.h"
#include "acquisition/ui/processing_views.h"
#include "common/dates.h"
#include "factorview/ui/factor_view.h"
#include "platform/qt/show.h"
#include "platform/qt/sinks_qt.h"

namespace kv::ui {

class Program {
public:
    // feedDir: the JV-Link feed folder every window's control reads.
    explicit Program(std::string feedDir);
    ~Program();

    // The menu's load; the menu is shown unless the load ended the program.
    void start();
    MenuWindow& menu() { return menu_; }

private:
    // False when the live results' work failed (the window has said what failed).
    bool showLiveResults();

    std::string feed_;
    kv::qt::MessageBoxSink messages_;
    kv::qt::DesktopShell shell_;
    kv::SystemClock clock_;
    MenuWindow menu_;
    kv::qt::SingleWindow<OddsDownloadWindow> oddsDownload_;
    kv::qt::SingleWindow<OddsTablesWindow> oddsTables_;
    kv::qt::SingleWindow<LiveResultsWindow> liveResults_;
    kv::qt::SingleWindow<LiveOddsWindow> liveOdds_;
    kv::qt::SingleWindow<FactorWeightView> factorTurf_, factorDirt_, factorHurdle_;
};

}  // namespace kv::ui
