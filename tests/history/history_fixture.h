// Small hand-built day files under TEKICHU for the history tests.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

#include "fixtures/fixtures.h"
#include "platform/sinks.h"

namespace histtest {

// One quoted line (every value a text), CP932 with CR LF.
std::string line(std::initializer_list<const char*> values);

// A race line of the race list file: race number (two digits), race name, distance, SD figure.
std::string rcLine(const std::string& num, const std::string& name, const std::string& distance,
                   const std::string& sd = " 9");
std::string rrLine();
// A runner line: place, bracket, horse number, predicted rank, popularity,
// arrival, predicted time.
std::string hsLine(const std::string& place, const std::string& waku, const std::string& umaban,
                   const std::string& rank, const std::string& ninki, const std::string& nyusen,
                   const std::string& time);
// A hit line: running number, kind code, description, combination, payout.
std::string atLine(const std::string& no, const std::string& kind, const std::string& desc, const std::string& kumi,
                   const std::string& pay);

struct HistoryTest {
    kvtest::TempDir dir;
    kv::RecordingStatusSink menu;
    HistoryTest();
    // Writes TEKICHU/<key><suffix>.
    void day(const std::string& key, const std::string& suffix, const std::string& bytes) const;
    std::string read(const std::string& rel) const { return kvtest::u8(dir.read(rel)); }
    // Every text the menu's Text6 got.
    std::vector<std::string> text6() const;
};

}  // namespace histtest
