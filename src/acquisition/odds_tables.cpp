#include "acquisition/odds_tables.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "acquisition/jvdata/jvdata.h"
#include "acquisition/menu_globals.h"
#include "common/appfolder.h"
#include "common/fields.h"
#include "common/keys.h"
#include "common/numbers.h"
#include "common/recordfile.h"
#include "common/stepstate.h"

namespace kv {
namespace {

struct OddsKind {
    const char* id;
    const char* weekFile;
    const char* liveFile;
    bool trio;
    const char* outName;
};

// Built in this order: trifecta, trio, exacta, quinella.
const OddsKind kKinds[] = {
    {"O6", files::O6_WEEK, files::O6_LIVE, true, suffix::SANRENTANODDS},
    {"O5", files::O5_WEEK, files::O5_LIVE, true, suffix::SANRENODDS},
    {"O4", files::O4_WEEK, files::O4_LIVE, false, suffix::UMATANODDS},
    {"O2", files::O2_WEEK, files::O2_LIVE, false, suffix::UMARENODDS},
};

// The odds of an entry: 0 for the four fillers and for a text that is not a number.
float oddsValue(std::string_view text) {
    auto tenths = jv::oddsTenths(text);
    if (!tenths || *tenths == 0) return 0.0f;
    return static_cast<float>(static_cast<double>(*tenths) / 10.0);
}

// A race key that names a file inside KAIME: 12 ASCII letters or digits.
bool safeKey(std::string_view key) {
    if (key.size() != kRaceKeyLen) return false;
    for (char c : key)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

template <std::size_t N>
std::string tableText(const std::array<float, N>& t) {
    std::string out;
    out.reserve(N * 4);
    for (float v : t) {
        if (v == 0.0f)
            out += '0';
        else
            out += formatSingle(v);
        out += "\r\n";
    }
    return out;
}

}  // namespace

KORIVANODDSN::KORIVANODDSN(MessageSink* messages) : messages_(messages) {}

void KORIVANODDSN::Form_Load() {
    AppPath = GetAppPath();
    const auto earlier = beginStep(AppPath, steps::ODDS_TABLES);
    steps::StepRun run(AppPath, steps::ODDS_TABLES);
    removeStaleTemps(appFile(dirs::KAIME));  // what a killed build left behind
    Closed = false;
    FilesWritten = 0;
    WriteFailures = 0;
    ReadFailures = 0;
    InputFailures = 0;
    StepReport report("odds-tables");
    // This week's odds from a download that was interrupted or failed are not
    // the week's odds as a whole: the tables are built, and the step fails.
    bool downloadsBroken = false;
    for (const char* step : {steps::ODDS_FETCH, steps::ODDS_FETCH_TRIFECTA}) {
        const steps::State s = steps::entryOf(AppPath, step).state;
        downloadsBroken = downloadsBroken || s == steps::State::Started || s == steps::State::Failed;
    }
    // (The live odds tables do not read this week's odds files.)
    if (OddsSource == 0 && downloadsBroken) {
        report.failedNotes(earlier);
        InputFailures += static_cast<long>(std::max<std::size_t>(earlier.size(), 1));
    } else if (OddsSource == 0) {
        report.notes(earlier);
    }
    // The odds files a download did not leave: their tables are not written.
    // This week's odds files are all there after the downloads; one missing
    // or empty fails the step. (Live odds may lack a kind the feed did not send.)
    if (OddsSource == 1) {
        report.missingFiles({appFile(files::O6_LIVE), appFile(files::O5_LIVE), appFile(files::O4_LIVE),
                             appFile(files::O2_LIVE)},
                            "Ⅰ　速報情報(一括）の「Ⅱ　速報オッズ情報」");
    } else {
        InputFailures +=
            report.requiredFiles({appFile(files::O5_WEEK), appFile(files::O4_WEEK), appFile(files::O2_WEEK)},
                                 "今週オッズ取得の「今週のオッズ」");
        InputFailures += report.requiredFiles({appFile(files::O6_WEEK)}, "今週オッズ取得の「今週の3連単」");
    }
    std::string firstFailed;
    for (const OddsKind& k : kKinds) {
        const char* source = OddsSource == 1 ? k.liveFile : k.weekFile;
        auto bytes = readFileBytes(appFile(source));
        if (!bytes) continue;  // no source: nothing of this kind
        // The whole records of the kind, and each race's last one: a race's
        // table is built once, from its last record (as if each record of the
        // race had been built in turn over the one before).
        struct Record {
            std::string_view line;
            std::string key;
        };
        std::vector<Record> records;
        std::unordered_map<std::string_view, std::size_t> lastOf;
        std::string_view all(*bytes);
        std::size_t pos = 0;
        while (pos < all.size()) {
            std::size_t nl = all.find('\n', pos);
            std::string_view line = all.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
            pos = nl == std::string_view::npos ? all.size() : nl + 1;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            // A line that is not a whole record of the kind is skipped.
            const jv::RecordKind kind = jv::recordKindOf(line);
            if (line.substr(0, 2) != k.id || line.size() + 2 < jv::receivedLength(kind)) continue;
            std::string key = raceKeyFromId(getField(line, jv::RaceIdHead::RaceId));
            if (!safeKey(key)) continue;
            records.push_back({line, std::move(key)});
        }
        for (std::size_t i = 0; i < records.size(); ++i) lastOf[records[i].key] = i;
        report.repeatsSkipped(appFile(source), static_cast<long>(records.size() - lastOf.size()));
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (lastOf[records[i].key] != i) continue;
            const std::string_view line = records[i].line;
            const std::string& key = records[i].key;

            // Every table starts empty for each record.
            if (k.trio)
                OddsTrioTable.fill(0.0f);
            else
                OddsPairTable.fill(0.0f);
            for (const jv::OddsEntry& e : jv::oddsEntries(line)) {
                const std::vector<int> h = jv::kumiNumbers(e.kumi);
                const int a = h.size() > 0 ? h[0] : -1, b = h.size() > 1 ? h[1] : -1;
                const int c = k.trio ? (h.size() > 2 ? h[2] : -1) : 1;
                // Only horse numbers 1 to 18 have a place in the tables.
                if (a < 1 || a > 18 || b < 1 || b > 18 || c < 1 || c > 18) continue;
                const float v = oddsValue(e.odds);
                if (k.trio)
                    OddsTrioTable[a * 361 + b * 19 + c] = v;
                else
                    OddsPairTable[a * 19 + b] = v;
            }
            const std::string out = appFile(std::string(dirs::KAIME) + "/" + key + k.outName);
            bool ok = k.trio ? writeFileAtomic(out, tableText(OddsTrioTable))
                             : writeFileAtomic(out, tableText(OddsPairTable));
            if (ok) {
                ++FilesWritten;
            } else {
                if (WriteFailures++ == 0) firstFailed = out;
                report.detail("could not write " + out);
            }
        }
    }
    report.failed("書き込めなかったオッズ表ファイル", WriteFailures, fileLabel(firstFailed));
    if (WriteFailures > 0)
        report.action(checkDiskAction(OddsSource == 1 ? "「Ⅳ　速報処理(一括）」" : "「オッズ処理」"));
    ReadFailures = static_cast<long>(unreadableFiles().size());
    report.unreadableFiles(OddsSource == 1 ? "「Ⅳ　速報処理(一括）」" : "「オッズ処理」");
    NullMessageSink none;
    report.tell(messages_ ? *messages_ : none);
    run.finish(!Failed());
}

void KORIVANODDSN::Command1_Click() { Closed = true; }

}  // namespace kv
