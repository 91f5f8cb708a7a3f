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

#include <deque>
#include <map>

#include "platform/jvlink/jvlink.h"

namespace st {

// A JV-Link whose live streams are scripted per key: each read hands out the
// next (result, record) pair; an exhausted stream answers `end`.
struct ScriptedJV : kv::JVLink {
    struct Read {
        int rc;
        std::string rec;
    };
    std::map<std::string, std::deque<Read>> streams;  // key of JVRTOpen -> reads
    int initResult = 0;
    int end = 0;
    bool keepStaleBuffer = false;  // a failed read leaves the buffer as it was
    std::vector<std::string> calls;
    long reads = 0;
    std::deque<Read>* cur = nullptr;

    int JVInit(const std::string&) override {
        calls.push_back("JVInit");
        return initResult;
    }
    int JVSetUIProperties() override { return 0; }
    int JVOpen(const std::string&, const std::string&, int, int&, int&, std::string&) override { return -1; }
    int JVRead(std::string& buff, int& size, std::string& fileName) override {
        ++reads;
        Read r{end, ""};
        if (cur && !cur->empty()) {
            r = cur->front();
            cur->pop_front();
        }
        if (r.rc > 0) {
            buff = r.rec;
            size = static_cast<int>(r.rec.size());
            fileName = "live.jvd";
        } else if (!keepStaleBuffer) {
            buff.clear();
            size = 0;
        }
        return r.rc;
    }
    int JVStatus() override { return 0; }
    int JVCancel() override { return 0; }
    int JVClose() override {
        calls.push_back("JVClose");
        cur = nullptr;
        return 0;
    }
    int JVRTOpen(const std::string& spec, const std::string& key) override {
        calls.push_back("JVRTOpen " + spec + " " + key);
        cur = &streams[key];
        return 0;
    }
    int JVFiledelete(const std::string&) override { return 0; }

    std::vector<std::string> opens() const {
        std::vector<std::string> v;
        for (const auto& c : calls)
            if (c.rfind("JVRTOpen", 0) == 0) v.push_back(c);
        return v;
    }
};

inline std::string hr(std::string date8, std::string jyo, std::string race) {
    kvtest::RecordBuilder b(L::kHrLength);
    b.setRaw(L::RecordSpec, "HR").setRaw(L::DataKubun, "2").setRaw(L::MakeDate, "20240106");
    b.setRaw(L::Year, date8.substr(0, 4)).setRaw(L::MonthDay, date8.substr(4, 4)).setRaw(L::JyoCD, jyo);
    b.setRaw(L::Kaiji, "01").setRaw(L::Nichiji, "01").setRaw(L::RaceNum, race);
    return b.crlf().str();
}

}  // namespace st
