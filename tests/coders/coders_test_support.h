// Small builders for the factor coder tests: expanded run records with a few
// members set, a horse of several runs, and statistics files in memory.
#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "common/fields.h"
#include "expansion/coders.h"
#include "common/exrecord.h"
#include "expansion/stats/stat_files.h"

namespace cdt {

using Sets = std::vector<std::pair<kv::Field, std::string>>;

// A 2603-byte record of an ordinary turf run (2024-05-12, racecourse "05",
// track "17", 1600 m, colt, 55 kg, 480 kg) with the given members changed.
std::string exRec(const Sets& sets = {});

// The yyyymmdd text n days after (negative: before) a yyyymmdd text.
std::string addDays(const std::string& ymd, long n);
// Members Year and MonthDay of a yyyymmdd text.
Sets dateSets(const std::string& ymd);

// Code of factor k for record cur of the horse's records.
std::string code(int k, const std::vector<std::string>& recs, int cur,
                 const kv::coders::CoderStats* stats = nullptr);
// Code of factor k for a horse of one record.
inline std::string code1(int k, const Sets& sets, const kv::coders::CoderStats* stats = nullptr) {
    return code(k, {exRec(sets)}, 1, stats);
}

// A statistics record of the given length: blanks, the key, the fields set, CR LF.
std::string statRec(std::size_t len, kv::Field key, const std::string& keyText, const Sets& sets);
// A statistics file made of records (first match wins).
kv::stats::StatFile statFile(kv::stats::StatFile proto, const std::vector<std::string>& recs);

// One row of a coder's table of cases: the record members set and the code wanted.
struct Case {
    const char* what;
    Sets sets;
    std::string want;
};

inline void runTable(int k, const std::vector<Case>& cases, const kv::coders::CoderStats* stats = nullptr) {
    for (const auto& c : cases) EXPECT_EQ(code1(k, c.sets, stats), c.want) << "factor " << k << ": " << c.what;
}

}  // namespace cdt
