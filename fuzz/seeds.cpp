// kv-fuzz-seeds SAMPLE_WEEK CORPUS: seed corpora for the fuzz targets, taken
// from a sample week's folder (its feed, code table, statistics and weight
// files). One folder per target under CORPUS; a few seeds of each kind.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "acquisition/jvdata/jvdata.h"
#include "common/appfolder.h"
#include "common/quoted.h"
#include "common/recordfile.h"
#include "expansion/stats/stat_files.h"
#include "expansion/weights.h"
#include "fuzz_common.h"

namespace {

std::string corpus;
int written = 0;

void seed(const std::string& target, const std::string& name, std::string_view bytes) {
    const std::string dir = kv::joinPath(corpus, target);
    kv::makeDirs(dir);
    if (kv::writeFileAtomic(kv::joinPath(dir, name), bytes)) ++written;
}

std::string file(const std::string& app, const std::string& rel) { return kv::readFileBytes(kv::joinPath(app, rel)).value_or(""); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kv-fuzz-seeds SAMPLE_WEEK CORPUS\n");
        return 2;
    }
    const std::string app = argv[1];
    corpus = argv[2];
    namespace jv = kv::jv;

    // Feed records: up to 12 of each record id, whole as JV-Link delivers them.
    std::map<std::string, int> perId;
    const std::string feed = kv::joinPath(app, kv::dirs::JVFEED);
    for (const char* spec : {kv::feed::WEEK, kv::feed::ODDS, kv::feed::LIVE_RESULTS, kv::feed::LIVE_ODDS}) {
        const std::string dir = kv::joinPath(feed, spec);
        for (const auto& name : kv::listFiles(dir)) {
            const std::string bytes = kv::readFileBytes(kv::joinPath(dir, name)).value_or("");
            std::size_t pos = 0;
            while (pos < bytes.size()) {
                const std::string_view rest = std::string_view(bytes).substr(pos);
                const std::size_t len = jv::receivedLength(jv::recordKindOf(rest));
                if (len == 0 || len > rest.size()) break;
                const std::string rec(rest.substr(0, len));
                pos += len;
                const std::string id = rec.substr(0, 2);
                if (perId[id]++ >= 12) continue;
                const std::string n = id + std::to_string(perId[id]);
                seed("jvdata_fuzz", n, rec);
                // Odds lines as the odds files keep them, for this week's (0..3) and the live files (4..7).
                const std::map<std::string, char> pick = {{"O2", 0}, {"O4", 1}, {"O5", 2}, {"O6", 3}};
                if (auto it = pick.find(id); it != pick.end() && perId[id] <= 4)
                    seed("oddstables_fuzz", n, std::string(1, static_cast<char>(it->second + (perId[id] % 2) * 4)) + rec + rec);
            }
        }
    }
    const std::string control = file(feed, kv::feed::CONTROL);
    seed("feedcontrol_fuzz", "sample", control);
    seed("feedcontrol_fuzz", "every-key",
         std::string("# every key once\ninit_result = 0\nsetui_result = -1\n[") + kv::feed::WEEK +
             "]\nopen_result = -504\n"
             "open_result.2025112205 = -1\ndownload_count = 3\nstatus_step = 2\nstatus_ms = 5\nstatus_error = -502\n"
             "status_error_after = 1\nread_error = -3\nread_error_after = 2\ndamaged = a.jvd -403 2\n"
             "cancel_after_status = 1\n");

    // The code table, whole and in slices; its lines are quoted-value lines too.
    const std::string codes = file(app, kv::files::CODE_TABLE);
    seed("codetable_fuzz", "whole", codes);
    const std::vector<std::string> lines = kv::splitLines(codes);
    for (std::size_t i = 0; i < lines.size() && i < 200; i += 40) {
        std::string chunk;
        for (std::size_t j = i; j < lines.size() && j < i + 40; ++j) chunk += lines[j] + "\r\n";
        seed("codetable_fuzz", "slice" + std::to_string(i), chunk);
        seed("quoted_fuzz", "codes" + std::to_string(i), chunk);
    }
    seed("quoted_fuzz", "syosai", "\"202504050611\",\"11\",\"1545\",\"11\",\"\",,\"G1\", 1600 ,SD\r\n\"a,b\"\"c\"\r\n");

    // Statistics files: the first records of each with the first record's key.
    namespace sn = kv::stats::names;
    using kv::stats::StatFile;
    const std::pair<const char*, StatFile> stats[] = {{sn::STALLION, StatFile::parent()},
                                                      {sn::KYOSOBA, StatFile::kyosoba()},
                                                      {sn::KISHUSEISEI, StatFile::seiseki()}};
    char pick = 0;
    for (const auto& [name, f] : stats) {
        const std::string bytes = file(app, std::string(kv::dirs::OPTION1N) + "/" + name);
        const std::string head = bytes.substr(0, std::min<std::size_t>(bytes.size(), f.recordLength() * 20));
        const std::string key = kv::getField(head, f.keyField());
        seed("stats_fuzz", name, std::string(1, pick++) + key + head);
    }

    // The weight tables of each surface, their six files joined.
    using namespace kv::expansion;
    for (Surface s : {Surface::Turf, Surface::Dirt, Surface::Hurdle}) {
        const WeightFileNames n = weightFileNames(s);
        std::string joined;
        for (const std::string* f : {&n.totalData, &n.itemCategory, &n.itemCategoryCount, &n.agari, &n.pace, &n.soha}) {
            std::string rel = *f;
            for (char& c : rel)
                if (c == '\\') c = '/';
            if (!joined.empty()) joined += kvfuzz::kPartBreak;
            joined += file(app, rel);
        }
        seed("weights_fuzz", surfaceStem(s), joined);
    }
    // The history windows' day files: each race day's five files joined (a few days).
    int days = 0;
    const std::string tekichu = kv::joinPath(app, kv::dirs::TEKICHU);
    for (const auto& name : kv::listFiles(tekichu)) {
        const std::string suffix = kv::suffix::LUP_RCM;
        if (name.size() != 14 + suffix.size() || name.compare(14, std::string::npos, suffix) != 0 || days >= 4)
            continue;
        const std::string day = name.substr(0, 14);
        std::string joined;
        for (const char* s : {kv::suffix::TEKICHU, kv::suffix::KAITEKI, kv::suffix::TEKICHU_PC, kv::suffix::KAITEKI_PC,
                              kv::suffix::LUP_RCM}) {
            if (s != std::string(kv::suffix::TEKICHU)) joined += kvfuzz::kPartBreak;
            joined += file(tekichu, day + s);
        }
        seed("history_dayfiles_fuzz", "day" + std::to_string(++days), joined);
    }
    std::printf("%d seeds written to %s\n", written, corpus.c_str());
    return written > 0 ? 0 : 1;
}
