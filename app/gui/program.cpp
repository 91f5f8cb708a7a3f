#include "program.h"

#include <cstdio>

#include <QApplication>

#include "expansion/ui/expansion_view.h"
#include "history/ui/history_views.h"
#include "platform/jvlink/jvlink.h"
#include "platform/qt/fonts.h"
#include "platform/qt/placement.h"
#include "prediction/ui/predictions_view.h"
#include "week/writer_table.h"

namespace kv::ui {

using kv::qt::showNew;

namespace {

// The two history windows, one instance each.
struct HistoryWindows {
    kv::qt::SingleWindow<PastPerformanceWindow> past;
    kv::qt::SingleWindow<HitListWindow> hits;
};

// Shows a history window with both history buttons of the menu blocked until
// its load has ended, so that no second search starts meanwhile.
void showHistory(MenuWindow& menu, const std::function<void()>& show) {
    // The buttons are given back on every way out of the show.
    struct Blocked {
        MenuWindow& menu;
        explicit Blocked(MenuWindow& m) : menu(m) { set(false); }
        ~Blocked() { set(true); }
        void set(bool enabled) {
            for (const char* b : {"Command11", "Command15"})
                if (QWidget* w = menu.control(b)) w->setEnabled(enabled);
        }
    } blocked(menu);
    show();
}

}  // namespace

Program::Program(std::string feedDir)
    : feed_(std::move(feedDir)),
      menu_(messages_, shell_, clock_, kv::makeJVLink(feed_)),
      oddsDownload_([this] { return new OddsDownloadWindow(messages_, kv::makeJVLink(feed_)); }),
      oddsTables_([this] { return new OddsTablesWindow(messages_); }),
      liveResults_([this] { return new LiveResultsWindow(messages_, kv::makeJVLink(feed_)); }),
      liveOdds_([this] {
          auto* w = new LiveOddsWindow(messages_, kv::makeJVLink(feed_));
          w->logic().ShowLiveResults = [this] { return showLiveResults(); };
          return w;
      }),
      factorTurf_([this] { return new FactorWeightView(kv::factorview::turfConfig(), messages_); }),
      factorDirt_([this] { return new FactorWeightView(kv::factorview::dirtConfig(), messages_); }),
      factorHurdle_([this] { return new FactorWeightView(kv::factorview::hurdleConfig(), messages_); }) {
    kv::TEZF1THISWEEKNQUEL& m = menu_.logic();
    m.ShowOddsDownload = [this] { oddsDownload_.show(); };
    m.ShowOddsTables = [this] {
        const bool load = !oddsTables_.loaded();
        OddsTablesWindow* w = oddsTables_.show();
        return !(load && w && w->logic().Failed());
    };
    m.ShowStructureNew = [this] { showNew(new StructureWindow(menu_.logic(), messages_, shell_)); };
    m.ShowCancellationNew = [this] { showNew(new CancellationWindow(messages_, kv::makeJVLink(feed_))); };
    m.ShowExpansionNew = [this] { showNew(new ExpansionWindow(messages_)); };
    m.ShowPredictionsNew = [this] {
        PredictionsWindow* w = showNew(
            new PredictionsWindow(menu_.statusSink(), messages_, [] { return kv::week::makeStandardChain(); }));
        return !(w && w->failed());
    };
    m.ShowLiveOdds = [this] { liveOdds_.show(); };
    m.ShowFactorTurf = [this] { factorTurf_.show(); };
    m.ShowFactorDirt = [this] { factorDirt_.show(); };
    m.ShowFactorHurdle = [this] { factorHurdle_.show(); };
    auto history = std::make_shared<HistoryWindows>(
        HistoryWindows{kv::qt::SingleWindow<PastPerformanceWindow>(
                           [this] { return new PastPerformanceWindow(menu_.statusSink(), &messages_); }),
                       kv::qt::SingleWindow<HitListWindow>(
                           [this] { return new HitListWindow(menu_.statusSink(), &messages_); })});
    // A window already open is raised, not loaded again: only a load can fail.
    m.ShowPastPerformance = [this, history] {
        const bool load = !history->past.loaded();
        PastPerformanceWindow* w = nullptr;
        showHistory(menu_, [&] { w = history->past.show(); });
        return !(load && w && (w->logic().Failed || w->loadFailed()));
    };
    m.ShowHitList = [this, history] {
        const bool load = !history->hits.loaded();
        HitListWindow* w = nullptr;
        showHistory(menu_, [&] { w = history->hits.show(); });
        return !(load && w && (w->logic().Failed || w->loadFailed()));
    };
    m.EndProgram = [] {
        QApplication::closeAllWindows();
        QApplication::quit();
    };
}

Program::~Program() {
    // Windows still open when the program ends go before the services they use.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<kv::qt::FormWindow*>(w)) delete w;
}

bool Program::showLiveResults() {
    const bool load = !liveResults_.loaded();
    LiveResultsWindow* w = liveResults_.show();
    return !(load && w && w->logic().Failed());
}

void Program::start() {
    kv::qt::installWindowPlacement(&menu_);
    const bool japanese = kv::qt::useJapaneseFont();
    menu_.formLoad();
    if (!japanese) {
        const QString notice = kv::qt::missingJapaneseFontNotice();
        std::fprintf(stderr, "korivan: %s\n", notice.toLocal8Bit().constData());
        menu_.logic().setText("Text1", notice.toStdString());
    }
    if (!menu_.logic().Ended) menu_.show();
}

}  // namespace kv::ui
