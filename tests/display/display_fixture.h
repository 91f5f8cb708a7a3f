// A small week for the race display: a window state with a race list and its
// per-race table, and helpers that write the files of a race (race-horse
// records, sorted horse and bet files, odds tables, race and payout records).
#pragma once
#include <string>
#include <vector>

#include "acquisition/jvdata/race_records.h"
#include "betlines/bet_fixture.h"
#include "common/appfolder.h"
#include "common/codec.h"
#include "common/fields.h"
#include "common/numbers.h"
#include "display/race_display.h"
#include "fixtures/fixtures.h"
#include "prediction/window_state.h"

namespace disptest {

namespace rh = kv::rh;
namespace ra = kv::jv::RaRecord;
using bettest::Payout;

// Race ids of the fixture week: race n of Tokyo, 2025-04-05.
inline std::string raceId(int n) { return "20250405050102" + kv::zeroPad(n, 2); }
inline std::string raceKey(int n) { return "2025040505" + kv::zeroPad(n, 2); }

// A runner of race n with plain values; tests change members with set/setSingleAt.
inline kv::RaceHorseRecord runner(int race, int umaban) {
    kv::RaceHorseRecord r;
    r.set(rh::RaceId.at(0), raceId(race));
    r.set(rh::Wakuban.at(0), std::to_string((umaban + 1) / 2));
    r.set(rh::Umaban.at(0), kv::zeroPad(umaban, 2));
    r.set(rh::KettoNum.at(0), "20201000" + kv::zeroPad(umaban, 2));
    r.set(rh::Bamei, kv::toCp932("テスト"));
    r.set(rh::KisyuRyakusyo.at(0), kv::toCp932("騎手"));
    r.set(rh::ChokyosiRyakusyo.at(0), kv::toCp932("調教"));
    r.set(rh::Kyori.at(0), "1600");
    r.set(rh::TrackCD.at(0), "10");
    r.set(rh::NyusenJyuni.at(0), "00");
    r.set(rh::Ninki.at(0), kv::zeroPad(umaban, 2));
    r.set(rh::Odds.at(0), "0035");
    r.set(rh::Time.at(0), "1345");
    r.set(rh::HaronTimeL3.at(0), "345");
    r.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedComposite), 60.0f);
    r.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedAgariPredicted), 64.0f);
    r.setSingleAt(rh::runSpeedOffset(0, rh::kSpeedPacePredicted), 60.0f);
    return r;
}

// The application folder and the predictions window state of a week of `races` races.
struct Week {
    kvtest::TempDir dir;
    kv::pred::WindowState st;
    explicit Week(int races = 3) {
        kv::SetAppPath(dir.path());
        st.run.Syosai.assign(1, kv::pred::SyosaiRow{});
        for (int n = 1; n <= races; ++n) {
            st.List1.push_back("2025年04月05日05東京" + kv::zeroPad(n, 2) + "R  " + raceKey(n));
            kv::pred::SyosaiRow row{};
            row[4] = "レース" + std::to_string(n);
            row[5] = "３歳";
            row[6] = "未勝利";
            row[7] = "";
            row[8] = "芝";
            row[9] = "1600";
            row[10] = " 7";
            row[11] = "晴良";
            st.run.Syosai.push_back(row);
        }
    }
    void write(const std::string& rel, const std::string& bytes) const { dir.write(rel, bytes); }
    void runners(int race, const std::vector<kv::RaceHorseRecord>& recs) const {
        std::string bytes;
        for (const auto& r : recs) bytes += r.bytes;
        write("RACE/" + raceKey(race) + ".dat", bytes);
    }
    // SORT.dat with the given predicted ranks, one line per horse.
    void ranks(int race, const std::vector<int>& rank) const {
        std::string s;
        for (std::size_t h = 1; h <= rank.size(); ++h)
            s += std::to_string(h) + ",\"" + std::to_string(h) + "\",\"" + std::to_string(h) + "\",\"" +
                 (rank[h - 1] < 10 ? " " : "") + std::to_string(rank[h - 1]) +
                 "\",\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\",\"i\",\"j\",\"k\"\r\n";
        write("KAIME/" + raceKey(race) + "SORT.dat", s);
    }
    // A sorted bet file ("UMARENSORT.dat" ...) with these combinations, best first.
    void sortFile(int race, const std::string& ending, const std::vector<std::string>& combos) const {
        std::string s;
        for (const auto& c : combos) s += "\"" + raceKey(race) + "\",\"Umaren\",\"" + c + "\",1.5\r\n";
        write("KAIME/" + raceKey(race) + ending, s);
    }
    // An odds table of n lines where line i holds value(i).
    template <class F>
    void odds(int race, const std::string& ending, int n, F value) const {
        std::string s;
        for (int i = 0; i < n; ++i) s += value(i) + "\r\n";
        write("KAIME/" + raceKey(race) + ending, s);
    }
    static std::string raRecord(int race, const std::string& kind, const std::string& toroku = "12") {
        kvtest::RecordBuilder b(ra::kLength);
        b.setRaw(ra::RecordSpec, "RA").setRaw(ra::DataKubun, kind).setRaw(ra::RaceId, raceId(race));
        b.setRaw(ra::TorokuTosu, toroku);
        return b.crlf().str();
    }
    static Payout payout(int race) { return Payout(raceId(race)); }
};

// The cells of a grid row from column `from` on, joined by "|".
inline std::string rowText(const kv::controls::GridModel& g, int row, int from = 0, int to = -1) {
    std::string s;
    if (to < 0) to = g.cols() - 1;
    for (int c = from; c <= to; ++c) s += (c > from ? "|" : "") + g.text(row, c);
    return s;
}

inline std::string colourName(const kv::controls::Rgb& c) {
    if (!c) return "-";
    for (int i = 0; i < 16; ++i)
        if (kv::controls::qbColor(i) == *c) return std::to_string(i);
    return "?";
}

}  // namespace disptest
