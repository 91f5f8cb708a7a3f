// korivan-sample: writes a deterministic synthetic race week into an
// application folder.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "outputs.h"

namespace {

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: korivan-sample --app-dir DIR [--size small|full] [--seed N] [--phase prediction|result]\n"
                 "                      [--weeks-back K]\n"
                 "  writes DIR/jvfeed (the JV-Link feed of the week), DIR/JRACODE/CodeTable.csv,\n"
                 "  DIR/OPTION1N (statistics files) and DIR/sample (hidden abilities, week results);\n"
                 "  --weeks-back K (0 to %d) writes the same world's race week K weeks earlier\n",
                 kvsample::kMaxWeeksBack);
}

}  // namespace

int main(int argc, char** argv) {
    kvsample::Options opt;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            usage(stdout);
            return 0;
        } else if (a == "--app-dir" && value(v)) {
            opt.appDir = v;
        } else if (a == "--size" && value(v) && (v == "small" || v == "full")) {
            opt.size = v == "full" ? kvsample::Size::Full : kvsample::Size::Small;
        } else if (a == "--phase" && value(v) && (v == "prediction" || v == "result")) {
            opt.phase = v == "result" ? kvsample::Phase::Result : kvsample::Phase::Prediction;
        } else if (a == "--weeks-back" && value(v) && !v.empty() && v.size() <= 2 &&
                   v.find_first_not_of("0123456789") == std::string::npos && std::stoi(v) <= kvsample::kMaxWeeksBack) {
            opt.weeksBack = std::stoi(v);
        } else if (a == "--seed" && value(v) && !v.empty() && v.find_first_not_of("0123456789") == std::string::npos &&
                   v.size() <= 19) {
            opt.seed = std::strtoull(v.c_str(), nullptr, 10);
        } else {
            std::fprintf(stderr, "korivan-sample: bad argument: %s\n", a.c_str());
            usage(stderr);
            return 2;
        }
    }
    if (opt.appDir.empty()) {
        std::fprintf(stderr, "korivan-sample: --app-dir is required\n");
        usage(stderr);
        return 2;
    }
    try {
        kvsample::WriteSummary s = kvsample::generate(opt);
        std::printf("sample week written to %s (%s, %s phase, seed %llu, %d weeks back)\n", opt.appDir.c_str(),
                    opt.size == kvsample::Size::Full ? "full" : "small",
                    opt.phase == kvsample::Phase::Result ? "result" : "prediction",
                    static_cast<unsigned long long>(opt.seed), opt.weeksBack);
        std::printf("week: %d races, %d runners, %d horses; past runs %d (at most %d per horse) in %d past races\n",
                    s.weekRaces, s.weekRunners, s.weekHorses, s.pastRuns, s.maxPastRuns, s.pastRaces);
        std::printf("feed: %zu records; statistics: %zu horses, %zu dams, %zu sires, %zu foal records\n",
                    s.feedRecords, s.statHorses, s.statDams, s.statSires, s.foalRecords);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korivan-sample: %s\n", e.what());
        return 1;
    }
    return 0;
}
