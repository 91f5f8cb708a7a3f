// Command-line steps of the acquisition subsystem: the main menu's start-up,
// this week's download (①), this week's odds, the odds tables and the live odds.
// Each step presses the same handlers as the windows' buttons; the progress
// window runs without a view.
#include <iostream>
#include <memory>

#include "acquisition/live_odds.h"
#include "acquisition/menu.h"
#include "acquisition/menu_globals.h"
#include "acquisition/odds_download.h"
#include "acquisition/progress.h"
#include "cli.h"
#include "platform/jvlink/jvlink.h"

namespace kvcli {
namespace {

// No desktop here: web pages are not opened and "NEWSFX.EXE" cannot run on Linux.
struct HeadlessShell : kv::Shell {
    bool openUrl(const std::string& url) override {
        std::cout << "URL: " << url << std::endl;
        return false;
    }
    bool startProgram(const std::string&) override { return false; }
};

// The progress window without a view: a 10 ms tick, the terminal bar, and the
// feed's cancel_after_status standing for the user's press of "キャンセル".
kv::ProgressModalFn headlessProgress(Context& ctx, kv::JVLink& jv) {
    return [&ctx, &jv](kv::TEZF2THISWEEKNQUEL& w) {
        kv::runProgressHeadless(w, 10, kv::feedCancelAfterStatus(jv), [&ctx](const kv::TEZF2THISWEEKNQUEL& win) {
            ctx.progress.progress("download", win.ProgressBar1.Value, win.ProgressBar1.Max);
        });
        ctx.progress.finish();
    };
}

// Files the step could not write: the handler went on without them, the step fails.
int fileFailureCode(const char* step, long failures, const char* what) {
    if (failures <= 0) return 0;
    std::cerr << "korivan-cli: " << step << ": " << failures << " " << what << std::endl;
    return 1;
}

int outcomeCode(const char* step, kv::DownloadOutcome o, long fileFailures = 0, const char* what = "") {
    switch (o) {
    case kv::DownloadOutcome::Completed:
    case kv::DownloadOutcome::NoData:
        return fileFailureCode(step, fileFailures, what);
    case kv::DownloadOutcome::Cancelled:
        std::cerr << "korivan-cli: " << step << ": the download was cancelled; nothing was read" << std::endl;
        return 3;
    default:
        std::cerr << "korivan-cli: " << step << ": JV-Link reported an error (see the messages above)" << std::endl;
        return 1;
    }
}

// The menu over the console; its JV-Link is the feed emulator.
struct MenuRig {
    HeadlessShell shell;
    std::unique_ptr<kv::JVLink> jv;
    std::unique_ptr<kv::TEZF1THISWEEKNQUEL> menu;
    explicit MenuRig(Context& ctx) : jv(kv::makeJVLink(ctx.feedDir)) {
        menu = std::make_unique<kv::TEZF1THISWEEKNQUEL>(ctx.messages, [] {}, *jv, shell, ctx.clock, &ctx.status);
        menu->ProgressModal = headlessProgress(ctx, *jv);
    }
};

int runStartup(Context& ctx, const std::vector<std::string>&) {
    MenuRig rig(ctx);
    rig.menu->Form_Load();
    return 0;
}

int runFetch(Context& ctx, const std::vector<std::string>&) {
    MenuRig rig(ctx);
    rig.menu->Command2_Click();
    return outcomeCode("fetch", rig.menu->LastDownload, rig.menu->RecordsLost,
                       "record(s) could not be written into the week files");
}

int runOddsFetch(Context& ctx, bool trifecta) {
    auto jv = kv::makeJVLink(ctx.feedDir);
    kv::TEZFOTHISWEEKNQUEL w(ctx.messages, *jv, &ctx.status);
    w.ProgressModal = headlessProgress(ctx, *jv);
    w.Form_Load();
    if (trifecta)
        w.Command3_Click();
    else
        w.Command2_Click();
    return outcomeCode(trifecta ? "odds-fetch-trifecta" : "odds-fetch", w.LastDownload, w.FileFailures,
                       "odds file operation(s) failed (file not emptied or record not written)");
}

int runOddsTables(Context& ctx, const std::vector<std::string>& opts) {
    bool live = false;
    for (const auto& o : opts) {
        if (o == "--live")
            live = true;
        else {
            std::cerr << "korivan-cli: odds-tables: unknown option '" << o << "'" << std::endl;
            return 2;
        }
    }
    MenuRig rig(ctx);
    if (live)
        rig.menu->Command13_Click();  // "Ⅳ　速報処理(一括）"
    else
        rig.menu->Command7_Click();   // "オッズ処理"
    if (auto* w = rig.menu->OddsTablesWindow()) {
        std::cout << "odds tables written: " << w->FilesWritten << std::endl;
        if (w->InputFailures > 0) {
            std::cerr << "korivan-cli: odds-tables: the odds files are missing, empty or from a download that did "
                         "not end well (see the message above)"
                      << std::endl;
            return 1;
        }
        return fileFailureCode("odds-tables", w->WriteFailures, "odds table file(s) could not be written");
    }
    return 0;
}

int runLiveOdds(Context& ctx, const std::vector<std::string>&) {
    auto jv = kv::makeJVLink(ctx.feedDir);
    kv::TEZP2RIALTIME w(ctx.messages, [] {}, *jv, &ctx.status);
    w.Command1_Click();
    std::cout << "live odds races: " << w.RacesFetched << std::endl;
    if (w.InitFailures > 0) {
        std::cerr << "korivan-cli: live-odds: JVInit failed for " << w.InitFailures << " race(s)" << std::endl;
        return 1;
    }
    return fileFailureCode("live-odds", w.FileFailures,
                           "live odds file operation(s) failed (file not emptied or record not written)");
}

}  // namespace

void addAcquisitionSteps(std::vector<Step>& steps) {
    steps.push_back({"startup", "main menu start-up: folders, weight check, live files deleted", runStartup});
    steps.push_back({"fetch", "① this week's data download (JV-Link feed)", runFetch});
    steps.push_back({"odds-fetch", "this week's quinella, exacta and trio odds",
                     [](Context& c, const std::vector<std::string>&) { return runOddsFetch(c, false); }});
    steps.push_back({"odds-fetch-trifecta", "this week's trifecta odds",
                     [](Context& c, const std::vector<std::string>&) { return runOddsFetch(c, true); }});
    steps.push_back({"odds-tables", "per-race odds tables from this week's odds (--live: from the live odds)",
                     runOddsTables});
    steps.push_back({"live-odds", "live odds of the newest races", runLiveOdds});
}

}  // namespace kvcli
