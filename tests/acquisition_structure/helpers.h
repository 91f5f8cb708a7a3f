// Small record builders for the structure, cancellation and live-results tests.
#pragma once
#include <string>
#include <vector>

#include "acquisition/structure_layout.h"
#include "fixtures/fixtures.h"
#include "platform/sinks.h"

namespace st {

namespace L = kv::structlayout;

// A race record; `tag` lands in the race name so a record can be told apart.
inline std::string ra(std::string date8, std::string kubun, std::string jyo, std::string race,
                      std::string tag = "", std::string make = "20240101", std::string kaiji = "01",
                      std::string nichiji = "01") {
    kvtest::RecordBuilder b(L::kRaLength);
    b.setRaw(L::RecordSpec, "RA").setRaw(L::DataKubun, kubun).setRaw(L::MakeDate, make);
    b.setRaw(L::Year, date8.substr(0, 4)).setRaw(L::MonthDay, date8.substr(4, 4)).setRaw(L::JyoCD, jyo);
    b.setRaw(L::Kaiji, kaiji).setRaw(L::Nichiji, nichiji).setRaw(L::RaceNum, race);
    b.setRaw(kv::Field{32, 60}, tag);
    return b.crlf().str();
}

// A runner record; `tag` lands in the owner name.
inline std::string se(std::string date8, std::string kubun, std::string jyo, std::string race,
                      std::string umaban, std::string ketto, std::string make = "20240101",
                      std::string tag = "", std::string kaiji = "01", std::string nichiji = "01") {
    kvtest::RecordBuilder b(L::kSeLength);
    b.setRaw(L::RecordSpec, "SE").setRaw(L::DataKubun, kubun).setRaw(L::MakeDate, make);
    b.setRaw(L::Year, date8.substr(0, 4)).setRaw(L::MonthDay, date8.substr(4, 4)).setRaw(L::JyoCD, jyo);
    b.setRaw(L::Kaiji, kaiji).setRaw(L::Nichiji, nichiji).setRaw(L::RaceNum, race);
    b.setRaw(L::SeUmaban, umaban).setRaw(L::SeKettoNum, ketto).setRaw(kv::Field{104, 64}, tag);
    return b.crlf().str();
}

inline std::string um(std::string ketto, std::string dam, std::string tag = "") {
    kvtest::RecordBuilder b(L::kUmLength);
    b.setRaw(L::RecordSpec, "UM").setRaw(L::DataKubun, "1").setRaw(L::UmKettoNum, ketto);
    b.setRaw(L::UmDamHansyokuNum, dam).setRaw(kv::Field{46, 36}, tag);
    return b.crlf().str();
}

inline std::string cat(const std::vector<std::string>& recs) {
    std::string s;
    for (const auto& r : recs) s += r;
    return s;
}

struct RecordingShell : kv::Shell {
    std::vector<std::string> started;
    bool openUrl(const std::string&) override { return false; }
    bool startProgram(const std::string& p) override {
        started.push_back(p);
        return false;
    }
};

}  // namespace st
