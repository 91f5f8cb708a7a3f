// JV-Link emulator over a feed folder. Layout of the folder and its control
// file: docs/jvfeed.md.
//
//   <feed>/<DATASPEC>/*.jvd   stored data of a dataspec (JVOpen), files read in name order
//   <feed>/0B30/<RaceId>.jvd  live odds of one race (JVRTOpen "0B30")
//   <feed>/0B12/<YYYYMMDD>.jvd live results of one day (JVRTOpen "0B12")
//   <feed>/control.txt        downloads, injected errors, damaged files, cancellation
//
// Each file holds raw JV-Data records (CP932), each ending in CR LF. The control
// file is read again at a JVInit when it changed since the last one; a missing feed folder or file means no data.
#pragma once
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "platform/jvlink/jvlink.h"

namespace kv {

// What control.txt says; defaults mean "a plain feed".
struct FeedControl {
    struct Damage {
        std::string file;  // file name inside the dataspec's folder
        int code = -402;   // -402 or -403 (any negative code is served)
        int deletes = 1;   // JVFiledelete calls after which the file reads well
    };
    struct Spec {
        int openResult = 0;            // JVOpen / JVRTOpen result when not 0
        std::map<std::string, int> openResultByKey;  // live: per key
        int downloadCount = 0;         // files still to download at the first JVOpen
        int statusStep = 1;            // files downloaded per JVStatus call
        int statusMs = 0;              // > 0: one file per statusMs milliseconds instead
        int statusError = 0;           // JVStatus result once statusErrorAfter calls are done
        int statusErrorAfter = 0;
        int readError = 0;             // JVRead result, once per open, after readErrorAfter records
        int readErrorAfter = 0;
        std::vector<Damage> damaged;
        int cancelAfterStatus = -1;    // headless cancel after this many JVStatus calls
    };
    int initResult = 0;   // JVInit result (when the identification itself is valid)
    int setUiResult = 0;  // JVSetUIProperties result
    std::map<std::string, Spec> specs;

    const Spec& spec(const std::string& dataSpec) const;
    // Parses the text of a control file; unknown keys and bad values are skipped.
    static FeedControl parse(const std::string& text);
};

class JVLinkEmulator : public JVLink {
public:
    explicit JVLinkEmulator(std::string feedDir);

    int JVInit(const std::string& sid) override;
    int JVSetUIProperties() override;
    int JVOpen(const std::string& dataSpec, const std::string& fromTime, int option, int& readCount,
               int& downloadCount, std::string& lastFileTimestamp) override;
    int JVRead(std::string& buff, int& size, std::string& fileName) override;
    int JVStatus() override;
    int JVCancel() override;
    int JVClose() override;
    int JVRTOpen(const std::string& dataSpec, const std::string& key) override;
    int JVFiledelete(const std::string& fileName) override;

    // The current (or last) download's cancel_after_status; -1 when none.
    int cancelAfterStatus() const;
    const std::string& feedDir() const { return feedDir_; }
    // How often the control file was parsed (once, and again after each change).
    int controlParses() const { return controlParses_; }

private:
    enum class Mode { Closed, Stored, Live };
    void closeState();
    int downloadedNow();          // files downloaded of the current open
    bool available(std::size_t fileIdx);
    bool loadFile(std::size_t fileIdx);

    std::string feedDir_;
    FeedControl control_;
    struct ControlStamp {
        bool present = false;
        long long size = 0, sec = 0, nsec = 0, ino = 0;
        bool operator==(const ControlStamp&) const = default;
    };
    ControlStamp controlStamp_;   // the control file as last parsed
    bool controlParsed_ = false;
    int controlParses_ = 0;
    bool initialised_ = false;

    // The current open.
    Mode mode_ = Mode::Closed;
    std::string spec_;      // dataspec of the current or last open
    std::string dir_;       // its folder
    std::vector<std::string> files_;
    std::size_t fileIdx_ = 0;
    bool fileLoaded_ = false;
    std::vector<std::string> records_;
    std::size_t recIdx_ = 0;
    long delivered_ = 0;
    bool readErrorFired_ = false;
    bool cancelled_ = false;

    // Download of the current open.
    int downloadTotal_ = 0;
    int downloaded_ = 0;
    int statusCalls_ = 0;
    bool downloadFailed_ = false;
    std::chrono::steady_clock::time_point openTime_{};

    // Since the last JVInit: files still to download and deletions, per dataspec.
    std::map<std::string, int> remaining_;
    std::map<std::string, int> deletes_;  // "<spec>/<file>" -> JVFiledelete calls
};

}  // namespace kv
