// A small week on disk for the prediction run: race records, runner records,
// payout records, expanded run files and a code table.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "acquisition/jvdata/race_records.h"
#include "common/appfolder.h"
#include "common/exrecord.h"
#include "fixtures/fixtures.h"

namespace kvtest {

namespace ra = kv::jv::RaRecord;
namespace se = kv::jv::SeRecord;
namespace hr = kv::jv::HrRecord;

// race id parts: "2025" "0405" "06" "01" "02" "11"
struct RaceIdParts {
    std::string year = "2025", md = "0405", jyo = "06", kaiji = "01", nichiji = "02", num = "11";
    std::string id() const { return year + md + jyo + kaiji + nichiji + num; }
    std::string key() const { return year + md + jyo + num; }
};

inline RaceIdParts raceOf(const std::string& id16) {
    return {id16.substr(0, 4), id16.substr(4, 4), id16.substr(8, 2), id16.substr(10, 2), id16.substr(12, 2),
            id16.substr(14, 2)};
}

inline std::string raRecord(const std::string& id16, const std::string& kind = "2", const std::string& track = "24",
                            const std::string& kyori = "1600", const std::string& name = "テスト特別") {
    RecordBuilder b(ra::kLength);
    b.setRaw(ra::RecordSpec, "RA").setRaw(ra::DataKubun, kind).setRaw(ra::RaceId, id16);
    b.set(ra::Hondai, name + std::string("\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"));
    b.setRaw(ra::GradeCD, "A").setRaw(ra::SyubetuCD, "13").setRaw(ra::kJyokenCD.at(5), "703");
    b.setRaw(ra::Kyori, kyori).setRaw(ra::TrackCD, track).setRaw(ra::HassoTime, "1545");
    b.setRaw(ra::TenkoCD, "1").setRaw(ra::SibaBabaCD, "2").setRaw(ra::DirtBabaCD, "3");
    return b.crlf().str();
}

inline std::string seRecord(const std::string& id16, int umaban, const std::string& ketto,
                            const std::string& bamei = "テストホース") {
    RecordBuilder b(se::kLength);
    b.setRaw(se::RecordSpec, "SE").setRaw(se::DataKubun, "2").setRaw(se::RaceId, id16);
    b.setRaw(se::Wakuban, std::to_string((umaban + 1) / 2));
    b.setRaw(se::Umaban, kv::zeroPad(umaban, 2)).setRaw(se::KettoNum, ketto).set(se::Bamei, bamei);
    return b.crlf().str();
}

inline std::string hrRecord(const std::string& id16) {
    RecordBuilder b(hr::kLength, '0');
    b.setRaw(hr::RecordSpec, "HR").setRaw(hr::DataKubun, "2").setRaw(hr::RaceId, id16);
    return b.crlf().str();
}

// One expanded run record of a horse: the run's race id, its number, the
// composite predicted speed (and a few further speeds).
inline std::string exRecord(const std::string& id16, int umaban, const std::string& ketto, float speed,
                            const std::string& track = "24", const std::string& kyori = "1600") {
    namespace ex = kv::exrec;
    RecordBuilder b(ex::kLength, '\0');
    b.setRaw(ex::RaceId, id16).setRaw(ex::Umaban, kv::zeroPad(umaban, 2)).setRaw(ex::KettoNum, ketto);
    b.setRaw(ex::Wakuban, "1").setRaw(ex::TrackCD, track).setRaw(ex::Kyori, kyori);
    b.setRaw(ex::KisyuRyakusyo, "KISYU   ").setRaw(ex::ChokyosiRyakusyo, "CHOKYO  ");
    b.setRaw(ex::BirthDate, "20220315").setRaw(ex::SexCD, "1").setRaw(ex::Futan, "550");
    b.setRaw(ex::Time, "1345").setRaw(ex::HaronTimeL3, "345").setRaw(ex::NyusenJyuni, "03");
    b.setRaw(ex::KakuteiJyuni, "03").setRaw(ex::Ninki, "02").setRaw(ex::TenkoCD, "1");
    b.setRaw(ex::SibaBabaCD, "2").setRaw(ex::DirtBabaCD, "3");
    b.single(ex::RunSpeeds(7), speed);
    b.single(ex::RunSpeeds(3), 58.0f);  // actual speed
    b.single(ex::RunSpeeds(4), 60.0f);  // predicted final-section speed
    b.crlf();
    return b.str();
}

inline const char* kCodeTable =
    "2001,06,,,中山,,,\r\n"
    "2001,05,,,東京,,,\r\n"
    "2003,A,G1レース,,,,,\r\n"
    "2005,13,,,サラ系3歳,,,\r\n"
    "2007,703,未勝利,,,,,\r\n"
    "2009,24,,ダート右,,,,\r\n"
    "2010,2,稍重,,,,,\r\n"
    "2010,3,重,,,,,\r\n"
    "2011,1,晴,,,,,\r\n"
    "2202,1,牡,,,,,\r\n";

// Builds the files of a week under an application folder.
struct WeekFixture {
    TempDir dir;
    std::vector<std::string> ra, se, hr;
    std::map<std::string, std::vector<std::string>> ex;  // ketto -> records, oldest first

    WeekFixture() { kv::SetAppPath(dir.path()); }

    // Adds a race with runners of the given composite speeds (horse h = index + 1).
    void addRace(const std::string& id16, const std::vector<float>& speeds, const std::string& kind = "2") {
        ra.push_back(raRecord(id16, kind));
        hr.push_back(hrRecord(id16));
        for (std::size_t i = 0; i < speeds.size(); ++i) {
            const int h = static_cast<int>(i) + 1;
            const std::string ketto = id16.substr(4, 6) + id16.substr(14, 2) + kv::zeroPad(h, 2);
            se.push_back(seRecord(id16, h, ketto));
            ex[ketto].push_back(exRecord(id16, h, ketto, speeds[i]));
        }
    }

    void write() const {
        std::string raBytes, seBytes, hrBytes;
        for (const auto& r : ra) raBytes += r;
        for (const auto& r : se) seBytes += r;
        for (const auto& r : hr) hrBytes += r;
        dir.write(kv::files::RA_NEW, raBytes);
        dir.write(kv::files::SE_NEW, seBytes);
        dir.write(kv::files::HR, hrBytes);
        for (const auto& [ketto, recs] : ex) {
            std::string b;
            for (const auto& r : recs) b += r;
            dir.write(std::string(kv::dirs::UMAGOTOEX) + "/" + ketto + "EX.dat", b);
        }
        dir.write(kv::files::CODE_TABLE, sj(kCodeTable));
    }
};

}  // namespace kvtest
