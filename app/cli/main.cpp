// korivan-cli [--app-dir DIR] [--feed DIR] STEP [STEP-OPTIONS]...
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "acquisition/jvdata/jvdata.h"
#include "expansion/record_checks.h"
#include "expansion/stats/stat_files.h"
#include "betlines/record_checks.h"
#include "elevencolumn/record_checks.h"
#include "prediction/record_checks.h"
#include "cli.h"
#include "common/appfolder.h"
#include "common/fsys.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "platform/step_report.h"

namespace kvcli {

void ConsoleStatus::setText(const std::string& control, const std::string& text) {
    std::cout << control << ": " << text << std::endl;
}

void ConsoleMessages::message(const std::string& text) {
    ++count;
    std::cerr << "MSG: " << text << std::endl;
}

void TerminalProgress::progress(const std::string& bar, long value, long max) {
    if (!isatty(2) || max <= 0) return;
    if (value < 0) value = 0;
    if (value > max) value = max;
    const int width = 40;
    int filled = static_cast<int>(width * value / max);
    std::fprintf(stderr, "\r%-12s [%s%s] %ld/%ld", bar.c_str(), std::string(filled, '#').c_str(),
                 std::string(width - filled, '.').c_str(), value, max);
    std::fflush(stderr);
    active_ = true;
}

void TerminalProgress::finish() {
    if (active_) std::fprintf(stderr, "\n");
    active_ = false;
}

std::vector<Step>& table() {
    static std::vector<Step> steps = [] {
        std::vector<Step> s;
        addAcquisitionSteps(s);
        addStructureSteps(s);
        addExpansionSteps(s);
        addPredictionSteps(s);
        addFactorViewSteps(s);
        addDisplaySteps(s);
        addHistorySteps(s);
        return s;
    }();
    return steps;
}

bool hasStep(const std::string& name) {
    for (auto& st : table())
        if (st.name == name) return true;
    return false;
}

int runStep(Context& ctx, const std::string& name, const std::vector<std::string>& options) {
    for (auto& st : table()) {
        if (st.name == name) {
            // The steps of the road tell what an earlier step left unfinished
            // themselves, and name the files they could not read in their message.
            kv::clearUnreadableFiles();
            kv::unreadableTold() = false;
            int rc = st.run(ctx, options);
            ctx.progress.finish();
            // A file that is there but cannot be read is no missing file: the step fails.
            const bool unreadable = !kv::unreadableFiles().empty();
            if ((unreadable || !kv::damagedFiles().empty()) && !kv::unreadableTold()) {
                kv::StepReport report(name);
                report.unreadableFiles(name);
                report.tell(ctx.messages);
            }
            if (rc == 0 && unreadable) rc = 1;
            kv::clearUnreadableFiles();  // said once (run-week runs steps inside)
            return rc;
        }
    }
    std::cerr << "korivan-cli: unknown step '" << name << "'" << std::endl;
    return 2;
}

}  // namespace kvcli

static void usage() {
    std::cerr << "usage: korivan-cli [--app-dir DIR] [--feed DIR] STEP [OPTIONS]...\nsteps:\n";
    for (const auto& st : kvcli::table()) std::cerr << "  " << st.name << "  " << st.help << "\n";
}

int main(int argc, char** argv) {
    using namespace kvcli;
    kv::tuneMemoryForBulkWork();
    kv::jv::registerRecordChecks();
    kv::stats::registerRecordChecks();
    kv::expansion::registerRecordChecks();
    kv::pred::registerRecordChecks();
    kv::bet::registerRecordChecks();
    kv::eleven::registerRecordChecks();
    kv::logProgramName() = "korivan-cli";
    Context ctx;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<std::pair<std::string, std::vector<std::string>>> plan;
    std::string appDir, feedDir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--app-dir" || a == "--feed") && plan.empty()) {
            if (i + 1 >= args.size()) {
                std::cerr << "korivan-cli: " << a << " needs a folder" << std::endl;
                return 2;
            }
            (a == "--app-dir" ? appDir : feedDir) = args[++i];
        } else if (a == "-h" || a == "--help") {
            usage();
            return 0;
        } else if (a.rfind("--", 0) == 0) {
            if (plan.empty()) {
                std::cerr << "korivan-cli: unknown option '" << a << "'" << std::endl;
                return 2;
            }
            plan.back().second.push_back(a);
        } else {
            plan.push_back({a, {}});
        }
    }
    if (plan.empty()) {
        std::cerr << "korivan-cli: no step given" << std::endl;
        return 2;
    }
    if (!appDir.empty()) {
        if (!kv::dirExists(appDir)) {
            std::cerr << "korivan-cli: application folder '" << appDir << "' does not exist" << std::endl;
            return 2;
        }
        kv::SetAppPath(appDir);
    }
    ctx.appDir = kv::GetAppPath();
    ctx.feedDir = feedDir.empty() ? kv::appFile(kv::dirs::JVFEED) : feedDir;
    if (!feedDir.empty() && !kv::dirExists(feedDir)) {
        std::cerr << "korivan-cli: feed folder '" << feedDir << "' does not exist" << std::endl;
        return 2;
    }
    for (auto& [name, opts] : plan) {
        int rc = runStep(ctx, name, opts);
        if (rc != 0) {
            std::cerr << "korivan-cli: step '" << name << "' failed (" << rc << ")" << std::endl;
            return rc;
        }
    }
    return 0;
}
