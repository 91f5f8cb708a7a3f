// Fixtures of the bet line tests: payout records, candidate lists with chosen
// combinations at chosen positions, and a four-horse race in the window state.
#pragma once
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/recordfile.h"
#include "common/fields.h"
#include "fixtures/fixtures.h"
#include "prediction/window_state.h"

namespace bettest {

namespace hr = kv::jv::HrRecord;
namespace pred = kv::pred;

// The day files of the fixture race's day under TEKICHU.
inline const char* const kTekichuDay = "TEKICHU/20250405060102";

// A fresh application folder with TEKICHU; file(suffix) reads a day file of
// the fixture race's day as UTF-8.
struct DayFileTest : ::testing::Test {
    kvtest::TempDir dir;
    void SetUp() override {
        kv::SetAppPath(dir.path());
        kv::makeDirs(dir.file("TEKICHU"));
    }
    std::string file(const std::string& suffix) const { return kvtest::u8(dir.read(std::string(kTekichuDay) + suffix)); }
};

// A payout record of blanks with the race id set; entries are set one by one.
struct Payout {
    kvtest::RecordBuilder b{hr::kLength, ' '};
    explicit Payout(const std::string& raceId16 = "2025040506010211") {
        b.setRaw(hr::RecordSpec, "HR").setRaw(hr::DataKubun, "2").setRaw(hr::RaceId, raceId16).crlf();
    }
    Payout& tansho(int k, const char* uma, const char* pay, const char* ninki) {
        return entry(hr::PayTansyo::Umaban(k), hr::PayTansyo::Pay(k), hr::PayTansyo::Ninki(k), uma, pay, ninki);
    }
    Payout& fukusho(int k, const char* uma, const char* pay, const char* ninki) {
        return entry(hr::PayFukusyo::Umaban(k), hr::PayFukusyo::Pay(k), hr::PayFukusyo::Ninki(k), uma, pay, ninki);
    }
    Payout& wakuren(int k, const char* kumi, const char* pay, const char* ninki) {
        return entry(hr::PayWakuren::Kumi(k), hr::PayWakuren::Pay(k), hr::PayWakuren::Ninki(k), kumi, pay, ninki);
    }
    Payout& umaren(int k, const char* kumi, const char* pay, const char* ninki) {
        return entry(hr::PayUmaren::Kumi(k), hr::PayUmaren::Pay(k), hr::PayUmaren::Ninki(k), kumi, pay, ninki);
    }
    Payout& wide(int k, const char* kumi, const char* pay, const char* ninki) {
        return entry(hr::PayWide::Kumi(k), hr::PayWide::Pay(k), hr::PayWide::Ninki(k), kumi, pay, ninki);
    }
    Payout& umatan(int k, const char* kumi, const char* pay, const char* ninki) {
        return entry(hr::PayUmatan::Kumi(k), hr::PayUmatan::Pay(k), hr::PayUmatan::Ninki(k), kumi, pay, ninki);
    }
    Payout& sanrenpuku(int k, const char* kumi, const char* pay, const char* ninki) {
        return entry(hr::PaySanrenpuku::Kumi(k), hr::PaySanrenpuku::Pay(k), hr::PaySanrenpuku::Ninki(k), kumi, pay,
                     ninki);
    }
    Payout& sanrentan(int k, const char* kumi, const char* pay, const char* ninki) {
        return entry(hr::PaySanrentan::Kumi(k), hr::PaySanrentan::Pay(k), hr::PaySanrentan::Ninki(k), kumi, pay,
                     ninki);
    }
    std::string str() const { return b.str(); }

private:
    Payout& entry(kv::Field k, kv::Field p, kv::Field n, const char* kumi, const char* pay, const char* ninki) {
        b.setRaw(k, kumi).setRaw(p, pay).setRaw(n, ninki);
        return *this;
    }
};

inline std::string two(int h) { return kv::zeroPad(h, 2); }

// Candidate lists over horses 1..18: the given combinations at the given
// positions, every other pair and trio after them in number order. A placed
// combination is given in its bet order (pairs: 馬単 order, trios: ３連単
// order); the key lists hold the same horses ascending.
struct Lists {
    std::vector<std::string> UmarenKaimeKey{""}, UmarenKaimeDisp{""}, SanrenpukuKaimeKey{""}, SanrenKaime{""};
    int UmarenKaimeCount = 0, SanrenpukuKaimeCount = 0;

    Lists(const std::map<int, std::string>& pairsAt, const std::map<int, std::string>& triosAt) {
        std::vector<std::string> pairs, trios;
        for (int a = 1; a <= 18; ++a)
            for (int b = a + 1; b <= 18; ++b) pairs.push_back(two(a) + two(b));
        for (int a = 1; a <= 18; ++a)
            for (int b = a + 1; b <= 18; ++b)
                for (int c = b + 1; c <= 18; ++c) trios.push_back(two(a) + two(b) + two(c));
        fill(pairs, pairsAt, 2, UmarenKaimeDisp, UmarenKaimeKey);
        fill(trios, triosAt, 3, SanrenKaime, SanrenpukuKaimeKey);
        UmarenKaimeCount = static_cast<int>(pairs.size());
        SanrenpukuKaimeCount = static_cast<int>(trios.size());
    }

    static std::string ascending(const std::string& combo, int n) {
        std::vector<std::string> parts;
        for (int i = 0; i < n; ++i) parts.push_back(combo.substr(2 * i, 2));
        std::sort(parts.begin(), parts.end());
        std::string s;
        for (auto& p : parts) s += p;
        return s;
    }

private:
    static void fill(const std::vector<std::string>& all, const std::map<int, std::string>& at, int n,
                     std::vector<std::string>& order, std::vector<std::string>& keys) {
        std::set<std::string> placed;
        for (auto& [p, c] : at) placed.insert(ascending(c, n));
        std::vector<std::string> rest;
        for (auto& k : all)
            if (!placed.count(k)) rest.push_back(k);
        std::size_t next = 0;
        for (std::size_t p = 1; p <= all.size(); ++p) {
            auto it = at.find(static_cast<int>(p));
            const std::string combo = it != at.end() ? it->second : rest[next++];
            order.push_back(combo);
            keys.push_back(ascending(combo, n));
        }
    }
};

// A four-horse race (horses 1 to 4, registered count "04") of race id
// 2025040506010211 on a dirt track, ranked 2, 1, 4, 3, in the window state.
pred::WindowState fourHorseRace(std::int16_t kekkaMode);

}  // namespace bettest
