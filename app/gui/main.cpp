// korivan [--app-dir DIR] [--feed DIR]: the program with its windows, starting
// with the main menu.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>

#include "acquisition/ui/menu_view.h"
#include "acquisition/ui/odds_views.h"
#include "acquisition/ui/processing_views.h"
#include "common/appfolder.h"
#include "common/dates.h"
#include "expansion/ui/expansion_view.h"
#include "platform/jvlink/jvlink.h"
#include "platform/qt/gui_thread.h"
#include "platform/qt/show.h"
#include "platform/qt/sinks_qt.h"
#include "prediction/ui/predictions_view.h"
#include "week/writer_table.h"

namespace {

using namespace kv::ui;
using kv::qt::showNew;
using kv::qt::SingleWindow;

// The program's windows and the services they share.
class Program {
public:
    explicit Program(std::string feedDir)
        : feed_(std::move(feedDir)),
          menu_(messages_, shell_, clock_, kv::makeJVLink(feed_)),
          oddsDownload_([this] { return new OddsDownloadWindow(messages_, kv::makeJVLink(feed_)); }),
          oddsTables_([] { return new OddsTablesWindow(); }),
          liveResults_([this] { return new LiveResultsWindow(messages_, kv::makeJVLink(feed_)); }),
          liveOdds_([this] {
              auto* w = new LiveOddsWindow(messages_, kv::makeJVLink(feed_));
              w->logic().ShowLiveResults = [this] { showLiveResults(); };
              return w;
          }) {
        kv::TEZF1THISWEEKNQUEL& m = menu_.logic();
        m.ShowOddsDownload = [this] { oddsDownload_.show(); };
        m.ShowOddsTables = [this] { oddsTables_.show(); };
        m.ShowStructureNew = [this] { showNew(new StructureWindow(menu_.logic(), messages_, shell_)); };
        m.ShowCancellationNew = [this] { showNew(new CancellationWindow(messages_, kv::makeJVLink(feed_))); };
        m.ShowExpansionNew = [this] { showNew(new ExpansionWindow(messages_)); };
        m.ShowPredictionsNew = [this] {
            showNew(new PredictionsWindow(menu_.statusSink(), [] { return kv::week::makeStandardChain(); }));
        };
        m.ShowLiveOdds = [this] { liveOdds_.show(); };
        m.EndProgram = [] {
            QApplication::closeAllWindows();
            QApplication::quit();
        };
    }

    ~Program() {
        // Windows still open when the program ends go before the services they use.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<kv::qt::FormWindow*>(w)) delete w;
    }

    void start() {
        menu_.formLoad();
        if (!menu_.logic().Ended) menu_.show();
    }

private:
    void showLiveResults() { liveResults_.show(); }

    std::string feed_;
    kv::qt::MessageBoxSink messages_;
    kv::qt::DesktopShell shell_;
    kv::SystemClock clock_;
    MenuWindow menu_;
    SingleWindow<OddsDownloadWindow> oddsDownload_;
    SingleWindow<OddsTablesWindow> oddsTables_;
    SingleWindow<LiveResultsWindow> liveResults_;
    SingleWindow<LiveOddsWindow> liveOdds_;
};

void usage() { std::fprintf(stderr, "usage: korivan [--app-dir DIR] [--feed DIR]\n"); }

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korivan"));
    std::string appDir, feedDir;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == "--app-dir" || a == "--feed") && i + 1 < args.size()) {
            (a == "--app-dir" ? appDir : feedDir) = args[++i].toStdString();
        } else {
            usage();
            return 2;
        }
    }
    if (!appDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(appDir, ec);
        if (!std::filesystem::is_directory(appDir)) {
            std::fprintf(stderr, "korivan: cannot use the application folder %s\n", appDir.c_str());
            return 2;
        }
        kv::SetAppPath(std::filesystem::absolute(appDir).string());
    }
    if (feedDir.empty()) feedDir = kv::defaultFeedDir();

    int rc = 0;
    {
        Program program(feedDir);
        program.start();
        rc = QApplication::exec();
        // Long work still running on a worker (the program was ended during a
        // calculation or a prediction run): leave at once; the system closes the files.
        if (kv::qt::runningBackgroundJobs() > 0) {
            std::fflush(nullptr);
            _exit(rc);
        }
    }
    return rc;
}
