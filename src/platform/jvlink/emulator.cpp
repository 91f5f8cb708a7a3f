#include "platform/jvlink/emulator.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <sstream>

#include "common/appfolder.h"
#include "common/numbers.h"
#include "common/recordfile.h"

namespace kv {

namespace {

// Codes of the control, beyond those the callers test by value.
constexpr int kNotInitialised = -201;
constexpr int kAlreadyOpen = -202;
constexpr int kNotOpen = -203;
constexpr int kNoSuchData = -1;
constexpr int kDownloading = -3;
constexpr int kBadSid = -101;
constexpr int kSidTooLong = -102;
constexpr int kSidInvalid = -103;
constexpr int kBadDataSpec = -111;
constexpr int kBadFromTime = -112;
constexpr int kBadKey = -114;
constexpr int kBadOption = -115;

std::string trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

bool isDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<int> toInt(const std::string& s) {
    const auto v = strictInt(s);
    if (!v || *v < -2147483648LL || *v > 2147483647LL) return std::nullopt;
    return static_cast<int>(*v);
}

bool endsWith(const std::string& s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Records of a feed file: each line is one record and gets its CR LF (also the
// last line when the file lacks its final CR LF, or lines ended by LF alone);
// empty lines are skipped.
std::vector<std::string> splitFeedRecords(std::string_view bytes) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t nl = bytes.find('\n', pos);
        if (nl == std::string_view::npos) nl = bytes.size();
        std::string_view line = bytes.substr(pos, nl - pos);
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) {
            std::string rec(line);
            rec += "\r\n";
            out.push_back(std::move(rec));
        }
        pos = nl + 1;
    }
    return out;
}

std::string timestampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    std::tm tm{};
    const std::time_t t = st.st_mtime;
    if (!::localtime_r(&t, &tm)) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

}  // namespace

// ------------------------------------------------------------ control file

const FeedControl::Spec& FeedControl::spec(const std::string& dataSpec) const {
    static const Spec none;
    const auto it = specs.find(dataSpec);
    return it == specs.end() ? none : it->second;
}

FeedControl FeedControl::parse(const std::string& text) {
    FeedControl c;
    std::string section;  // empty: global keys
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        const std::size_t hash = raw.find('#');
        const std::string line = trim(std::string_view(raw).substr(0, hash));
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() == ']') section = trim(std::string_view(line).substr(1, line.size() - 2));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = trim(std::string_view(line).substr(0, eq));
        const std::string value = trim(std::string_view(line).substr(eq + 1));
        const auto n = toInt(value);
        if (section.empty()) {
            if (key == "init_result" && n) c.initResult = *n;
            else if (key == "setui_result" && n) c.setUiResult = *n;
            continue;
        }
        Spec& s = c.specs[section];
        if (key == "damaged") {
            std::istringstream v(value);
            Damage d;
            std::string code, deletes;
            v >> d.file >> code >> deletes;
            if (d.file.empty()) continue;
            if (!code.empty()) {
                const auto cn = toInt(code);
                if (!cn || *cn >= 0) continue;
                d.code = *cn;
            }
            if (!deletes.empty()) {
                const auto dn = toInt(deletes);
                if (!dn) continue;
                d.deletes = std::max(1, *dn);
            }
            s.damaged.push_back(d);
            continue;
        }
        if (!n) continue;
        if (key == "open_result") s.openResult = *n;
        else if (key.rfind("open_result.", 0) == 0) s.openResultByKey[key.substr(12)] = *n;
        else if (key == "download_count") s.downloadCount = std::max(0, *n);
        else if (key == "status_step") s.statusStep = std::max(1, *n);
        else if (key == "status_ms") s.statusMs = std::max(0, *n);
        else if (key == "status_error") s.statusError = *n < 0 ? *n : 0;
        else if (key == "status_error_after") s.statusErrorAfter = std::max(0, *n);
        else if (key == "read_error") s.readError = *n;
        else if (key == "read_error_after") s.readErrorAfter = std::max(0, *n);
        else if (key == "cancel_after_status") s.cancelAfterStatus = *n >= 0 ? *n : -1;
    }
    return c;
}

// ------------------------------------------------------------ emulator

JVLinkEmulator::JVLinkEmulator(std::string feedDir) : feedDir_(std::move(feedDir)) {}

void JVLinkEmulator::closeState() {
    mode_ = Mode::Closed;
    files_.clear();
    fileIdx_ = 0;
    fileLoaded_ = false;
    records_.clear();
    recIdx_ = 0;
    delivered_ = 0;
    readErrorFired_ = false;
    cancelled_ = false;
    downloadTotal_ = 0;
    downloaded_ = 0;
    statusCalls_ = 0;
    downloadFailed_ = false;
}

int JVLinkEmulator::JVInit(const std::string& sid) {
    closeState();
    initialised_ = false;
    remaining_.clear();
    deletes_.clear();
    // The control file is parsed again only when it changed since the last JVInit.
    const std::string path = joinPath(feedDir_, feed::CONTROL);
    struct stat st {};
    ControlStamp stamp;
    if (::stat(path.c_str(), &st) == 0)
        stamp = {true, static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                 static_cast<long long>(st.st_mtim.tv_nsec), static_cast<long long>(st.st_ino)};
    if (!controlParsed_ || !(stamp == controlStamp_)) {
        const auto text = readFileBytes(path);
        control_ = text ? FeedControl::parse(*text) : FeedControl{};
        controlStamp_ = stamp;
        controlParsed_ = true;
        ++controlParses_;
    }
    if (sid.empty()) return kBadSid;
    if (sid.size() > 64) return kSidTooLong;
    if (sid.front() == ' ') return kSidInvalid;
    if (control_.initResult != 0) return control_.initResult;
    initialised_ = true;
    return 0;
}

int JVLinkEmulator::JVSetUIProperties() { return control_.setUiResult; }

int JVLinkEmulator::JVOpen(const std::string& dataSpec, const std::string& fromTime, int option, int& readCount,
                           int& downloadCount, std::string& lastFileTimestamp) {
    readCount = 0;
    downloadCount = 0;
    lastFileTimestamp.clear();
    if (!initialised_) return kNotInitialised;
    if (mode_ != Mode::Closed) return kAlreadyOpen;
    if (dataSpec.empty() || dataSpec.size() % 4 != 0 ||
        !std::all_of(dataSpec.begin(), dataSpec.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        return kBadDataSpec;
    const bool timeOk = (fromTime.size() == 14 && isDigits(fromTime)) ||
                        (fromTime.size() == 29 && fromTime[14] == '-' && isDigits(fromTime.substr(0, 14)) &&
                         isDigits(fromTime.substr(15)));
    if (!timeOk) return kBadFromTime;
    if (option < 1 || option > 4) return kBadOption;
    const FeedControl::Spec& sc = control_.spec(dataSpec);
    if (sc.openResult != 0) return sc.openResult;

    closeState();
    spec_ = dataSpec;
    dir_ = joinPath(feedDir_, dataSpec);
    // A folder standing where a file belongs is listed too: reading it notes it unreadable.
    for (const std::string& name : listNames(dir_))
        if (endsWith(name, feed::RECORDS)) files_.push_back(name);
    mode_ = Mode::Stored;
    if (files_.empty()) return 0;  // nothing to read

    // Files still to download: the feed's count at the first open after JVInit,
    // then what that download left undone.
    const auto rem = remaining_.find(spec_);
    downloadTotal_ = rem == remaining_.end() ? sc.downloadCount : rem->second;
    remaining_[spec_] = downloadTotal_;
    openTime_ = std::chrono::steady_clock::now();

    readCount = static_cast<int>(files_.size());
    downloadCount = downloadTotal_;
    for (const std::string& name : files_) lastFileTimestamp = std::max(lastFileTimestamp, timestampOf(joinPath(dir_, name)));
    return 0;
}

int JVLinkEmulator::downloadedNow() {
    if (mode_ != Mode::Stored || downloadFailed_ || cancelled_) return downloaded_;
    const FeedControl::Spec& sc = control_.spec(spec_);
    if (sc.statusMs > 0) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - openTime_).count();
        downloaded_ = static_cast<int>(std::min<long long>(downloadTotal_, ms / sc.statusMs));
    }
    remaining_[spec_] = downloadTotal_ - downloaded_;
    return downloaded_;
}

// The last (downloadTotal - downloaded) files of the folder are not there yet.
bool JVLinkEmulator::available(std::size_t fileIdx) {
    const long missing = static_cast<long>(downloadTotal_) - downloadedNow();
    return static_cast<long>(fileIdx) < static_cast<long>(files_.size()) - missing;
}

bool JVLinkEmulator::loadFile(std::size_t fileIdx) {
    const auto bytes = readFileBytes(joinPath(dir_, files_[fileIdx]));
    records_ = bytes ? splitFeedRecords(*bytes) : std::vector<std::string>{};
    recIdx_ = 0;
    fileLoaded_ = true;
    return true;
}

int JVLinkEmulator::JVRead(std::string& buff, int& size, std::string& fileName) {
    buff.clear();
    size = 0;
    if (mode_ == Mode::Closed || cancelled_) {
        fileName.clear();
        return kNotOpen;
    }
    const FeedControl::Spec& sc = control_.spec(spec_);
    if (sc.readError != 0 && !readErrorFired_ && delivered_ >= sc.readErrorAfter) {
        readErrorFired_ = true;
        fileName = fileIdx_ < files_.size() ? files_[fileIdx_] : std::string();
        return sc.readError;
    }
    if (fileIdx_ >= files_.size()) {
        fileName.clear();
        return 0;
    }
    fileName = files_[fileIdx_];
    if (!fileLoaded_) {
        if (mode_ == Mode::Stored) {
            if (!available(fileIdx_)) return kDownloading;
            for (const auto& d : sc.damaged)
                if (d.file == fileName && deletes_[spec_ + "/" + fileName] < d.deletes) return d.code;
        }
        loadFile(fileIdx_);
    }
    if (recIdx_ < records_.size()) {
        buff = records_[recIdx_++];
        ++delivered_;
        size = static_cast<int>(buff.size());
        return size;
    }
    // End of this file.
    ++fileIdx_;
    fileLoaded_ = false;
    records_.clear();
    recIdx_ = 0;
    return -1;
}

int JVLinkEmulator::JVStatus() {
    if (mode_ != Mode::Stored) return kNotOpen;
    const FeedControl::Spec& sc = control_.spec(spec_);
    ++statusCalls_;
    if (downloadFailed_) return sc.statusError;
    if (sc.statusError != 0 && statusCalls_ > sc.statusErrorAfter) {
        downloadedNow();
        downloadFailed_ = true;
        return sc.statusError;
    }
    if (sc.statusMs <= 0 && !cancelled_) {
        // Per call: nothing yet at the first call, statusStep more files at each later one.
        const long long done = static_cast<long long>(sc.statusStep) * (statusCalls_ - 1);
        downloaded_ = static_cast<int>(std::min<long long>(downloadTotal_, done));
    }
    return downloadedNow();
}

int JVLinkEmulator::JVCancel() {
    if (mode_ == Mode::Stored) {
        downloadedNow();
        cancelled_ = true;
    }
    return 0;
}

int JVLinkEmulator::JVClose() {
    if (mode_ == Mode::Stored) downloadedNow();
    closeState();
    return 0;
}

int JVLinkEmulator::JVRTOpen(const std::string& dataSpec, const std::string& key) {
    if (!initialised_) return kNotInitialised;
    if (mode_ != Mode::Closed) return kAlreadyOpen;
    if (dataSpec.empty() || dataSpec.size() % 4 != 0) return kBadDataSpec;
    const FeedControl::Spec& sc = control_.spec(dataSpec);
    const auto byKey = sc.openResultByKey.find(key);
    if (byKey != sc.openResultByKey.end() && byKey->second != 0) return byKey->second;
    if (sc.openResult != 0) return sc.openResult;
    if (key.empty() || key.find_first_of("/\\") != std::string::npos || key == "." || key == "..") return kBadKey;
    const std::string dir = joinPath(feedDir_, dataSpec);
    const std::string name = key + feed::RECORDS;
    if (!fileExists(joinPath(dir, name)) && !dirExists(joinPath(dir, name))) return kNoSuchData;
    closeState();
    spec_ = dataSpec;
    dir_ = dir;
    files_.push_back(name);
    mode_ = Mode::Live;
    return 0;
}

int JVLinkEmulator::JVFiledelete(const std::string& fileName) {
    if (spec_.empty() || fileName.empty()) return -1;
    if (!fileExists(joinPath(joinPath(feedDir_, spec_), fileName))) return -1;
    ++deletes_[spec_ + "/" + fileName];
    return 0;
}

int JVLinkEmulator::cancelAfterStatus() const {
    if (spec_.empty()) return -1;
    return control_.spec(spec_).cancelAfterStatus;
}

// ------------------------------------------------------------ factory

std::unique_ptr<JVLink> makeJVLink(const std::string& feedDir) { return std::make_unique<JVLinkEmulator>(feedDir); }

std::string defaultFeedDir() { return appFile(dirs::JVFEED); }

int feedCancelAfterStatus(const JVLink& link) {
    const auto* emu = dynamic_cast<const JVLinkEmulator*>(&link);
    return emu ? emu->cancelAfterStatus() : -1;
}

std::string feedFilePath(const JVLink& link, const std::string& dataSpec, const std::string& fileName) {
    const auto* emu = dynamic_cast<const JVLinkEmulator*>(&link);
    return joinPath(joinPath(emu ? emu->feedDir() : std::string(), dataSpec), fileName);
}

}  // namespace kv
