// korivan [--app-dir DIR] [--feed DIR]: the program with its windows, starting
// with the main menu.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>

#include "acquisition/jvdata/jvdata.h"
#include "expansion/record_checks.h"
#include "expansion/stats/stat_files.h"
#include "betlines/record_checks.h"
#include "elevencolumn/record_checks.h"
#include "prediction/record_checks.h"
#include "common/appfolder.h"
#include "common/fsys.h"
#include "platform/jvlink/jvlink.h"
#include "platform/qt/gui_thread.h"
#include "program.h"

namespace {

void usage() { std::fprintf(stderr, "usage: korivan [--app-dir DIR] [--feed DIR]\n"); }

}  // namespace

int main(int argc, char** argv) {
    kv::tuneMemoryForBulkWork();
    kv::jv::registerRecordChecks();
    kv::stats::registerRecordChecks();
    kv::expansion::registerRecordChecks();
    kv::pred::registerRecordChecks();
    kv::bet::registerRecordChecks();
    kv::eleven::registerRecordChecks();
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
        kv::ui::Program program(feedDir);
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
