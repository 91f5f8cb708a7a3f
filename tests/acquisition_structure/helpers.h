// Small record builders for the structure, cancellation and live-results tests.
#pragma once
#include <string>
#include <vector>

#include "acquisition/structure_layout.h"
#include "fixtures/fixtures.h"
#include "fixtures/jv_records.h"
#include "platform/sinks.h"

namespace st {

namespace L = kv::structlayout;

// A race record; `tag` lands in the race name so a record can be told apart.
inline std::string ra(std::string date8, std::string kubun, std::string jyo, std::string race,
                      std::string tag = "", std::string make = "20240101", std::string kaiji = "01",
                      std::string nichiji = "01") {
    auto b = kvtest::jvRA(date8 + jyo + kaiji + nichiji + race, kubun);
    b.setRaw(L::MakeDate, make).setRaw(kv::jv::RaRecord::Hondai, tag);
    return b.str();
}

// A runner record; `tag` lands in the owner name.
inline std::string se(std::string date8, std::string kubun, std::string jyo, std::string race,
                      std::string umaban, std::string ketto, std::string make = "20240101",
                      std::string tag = "", std::string kaiji = "01", std::string nichiji = "01") {
    auto b = kvtest::jvSE(date8 + jyo + kaiji + nichiji + race, 1, ketto, kubun);
    b.setRaw(L::MakeDate, make).setRaw(L::SeUmaban, umaban).setRaw(kv::jv::SeRecord::BanusiName, tag);
    return b.str();
}

inline std::string um(std::string ketto, std::string dam, std::string tag = "") {
    auto b = kvtest::jvUM(ketto, "1000000001", dam);
    b.setRaw(L::UmDamHansyokuNum, dam).setRaw(kv::jv::UmRecord::Bamei, tag);
    return b.str();
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
    return kvtest::jvHR(date8 + jyo + "01" + "01" + race, "2").str();
}

}  // namespace st
