// Shared pieces of the menu and download tests: an application folder with a
// JV-Link feed inside, recording sinks and shell, and a JV-Link that counts calls.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/jvdata/jvdata.h"
#include "common/appfolder.h"
#include "common/dates.h"
#include "fixtures/fixtures.h"
#include "platform/jvlink/emulator.h"
#include "platform/sinks.h"

namespace kvtest {

// Status sink that keeps every text and colour in order.
struct StatusLog : kv::StatusSink {
    std::vector<std::pair<std::string, std::string>> texts;
    std::map<std::string, unsigned> back;
    void setText(const std::string& c, const std::string& t) override { texts.emplace_back(c, t); }
    void setBackColor(const std::string& c, unsigned rgb) override { back[c] = rgb; }
    std::vector<std::string> of(const std::string& control) const {
        std::vector<std::string> out;
        for (const auto& [c, t] : texts)
            if (c == control) out.push_back(t);
        return out;
    }
};

struct ShellLog : kv::Shell {
    std::vector<std::string> urls, programs;
    bool openUrl(const std::string& u) override {
        urls.push_back(u);
        return true;
    }
    bool startProgram(const std::string& p) override {
        programs.push_back(p);
        return false;  // as on Linux
    }
};

// The emulator, counting every call by name (emu: the emulator itself).
struct CountingJVLink : kv::JVLinkEmulator {
    using Emu = kv::JVLinkEmulator;
    Emu& emu = *this;
    std::map<std::string, int> calls;
    std::vector<std::string> rtKeys, deleted;
    std::vector<std::string> inits;  // software identifications given to JVInit
    std::vector<std::string> opens;  // "dataspec|from-time|option" of every JVOpen
    explicit CountingJVLink(const std::string& feed) : Emu(feed) {}
    int JVInit(const std::string& s) override {
        inits.push_back(s);
        return ++calls["JVInit"], Emu::JVInit(s);
    }
    int JVSetUIProperties() override { return ++calls["JVSetUIProperties"], Emu::JVSetUIProperties(); }
    int JVOpen(const std::string& d, const std::string& f, int o, int& r, int& dl, std::string& ts) override {
        opens.push_back(d + "|" + f + "|" + std::to_string(o));
        return ++calls["JVOpen"], Emu::JVOpen(d, f, o, r, dl, ts);
    }
    int JVRead(std::string& b, int& s, std::string& f) override { return ++calls["JVRead"], Emu::JVRead(b, s, f); }
    int JVStatus() override { return ++calls["JVStatus"], Emu::JVStatus(); }
    int JVCancel() override { return ++calls["JVCancel"], Emu::JVCancel(); }
    int JVClose() override { return ++calls["JVClose"], Emu::JVClose(); }
    int JVRTOpen(const std::string& d, const std::string& k) override {
        rtKeys.push_back(k);
        return ++calls["JVRTOpen"], Emu::JVRTOpen(d, k);
    }
    int JVFiledelete(const std::string& f) override {
        deleted.push_back(f);
        return ++calls["JVFiledelete"], Emu::JVFiledelete(f);
    }
};

// An application folder (set as the program's) with the feed in "jvfeed".
struct AppRig {
    TempDir dir;
    StatusLog status;
    kv::RecordingMessageSink messages;
    ShellLog shell;
    kv::FixedClock clock{kv::Date{2026, 12, 5}};
    std::unique_ptr<CountingJVLink> jv;
    AppRig() {
        kv::jv::registerRecordChecks();  // as the program does at start-up
        kv::SetAppPath(dir.path());
        jv = std::make_unique<CountingJVLink>(feedDir());
    }
    std::string feedDir() const { return dir.file("jvfeed"); }
    // A feed file of a dataspec (or live folder) from records.
    void feed(const std::string& spec, const std::string& file, const std::vector<std::string>& records) const {
        std::string all;
        for (const auto& r : records) all += r;
        dir.write("jvfeed/" + spec + "/" + file, all);
    }
    void control(const std::string& text) const { dir.write("jvfeed/control.txt", text); }
    std::string app() const { return kv::GetAppPath(); }
};

}  // namespace kvtest
