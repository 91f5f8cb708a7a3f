// The feed emulator: every return path of the JV-Link calls, driven by feed
// folders and control files.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/appfolder.h"
#include "common/fsys.h"
#include "fixtures/fixtures.h"
#include "fixtures/jv_records.h"
#include "platform/jvlink/emulator.h"
#include "platform/jvlink/jvlink.h"

using kvtest::TempDir;

namespace {

const std::string kSpec = kv::feed::WEEK;
const std::string kOdds = kv::feed::ODDS;
const std::string kLiveOdds = kv::feed::LIVE_ODDS;
const std::string kLiveResults = kv::feed::LIVE_RESULTS;
const std::string kFrom = "00000000000000";
const std::string kRaceId = "2026120605050101";

// The header line of a feed folder's section of the control file.
std::string section(const std::string& spec) { return "[" + spec + "]\n"; }

struct Opened {
    int rc, readCount, downloadCount;
};

Opened open(kv::JVLink& l, const std::string& spec = kSpec) {
    std::string ts;
    Opened o{};
    o.rc = l.JVOpen(spec, kFrom, 2, o.readCount, o.downloadCount, ts);
    return o;
}

// One read: its result and what came with it.
struct Read {
    int rc;
    std::string buff;
    int size;
    std::string file;
};

Read read(kv::JVLink& l) {
    Read r{};
    r.buff.assign(128000, '\0');
    r.size = 128000;
    r.rc = l.JVRead(r.buff, r.size, r.file);
    return r;
}

// Result codes of reads until 0 (or a limit), records shown by their id.
std::vector<std::string> readAll(kv::JVLink& l, int limit = 50) {
    std::vector<std::string> out;
    for (int i = 0; i < limit; ++i) {
        const Read r = read(l);
        out.push_back(r.rc > 0 ? r.buff.substr(0, 2) : std::to_string(r.rc));
        if (r.rc == 0) break;
    }
    return out;
}

using V = std::vector<std::string>;

// A feed with two stored files: 001.jvd (RA, SE) and 002.jvd (UM, without its final CR LF).
void writeWeek(const TempDir& d) {
    d.write(kSpec + "/001.jvd", kvtest::jvRA(kRaceId).str() + kvtest::jvSE(kRaceId, 1, "2023100001").str());
    std::string um = kvtest::jvUM("2023100001").str();
    um.resize(um.size() - 2);
    d.write(kSpec + "/002.jvd", um);
}

}  // namespace

TEST(JvLinkEmulator, MissingFeedMeansNoData) {
    TempDir d;
    auto link = kv::makeJVLink(d.file("nothing-here"));
    EXPECT_EQ(link->JVStatus(), -203);
    EXPECT_EQ(read(*link).rc, -203);
    EXPECT_EQ(link->JVInit("A/B/korivan/1.0"), 0);
    const Opened o = open(*link);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.readCount, 0);
    EXPECT_EQ(o.downloadCount, 0);
    EXPECT_EQ(link->JVStatus(), 0);
    EXPECT_EQ(read(*link).rc, 0);
    EXPECT_EQ(link->JVClose(), 0);
    EXPECT_EQ(link->JVRTOpen(kLiveOdds, kRaceId), -1);
    EXPECT_EQ(read(*link).rc, -203);
    EXPECT_EQ(link->JVFiledelete("x.jvd"), -1);
    EXPECT_EQ(link->JVSetUIProperties(), 0);

    // A dataspec "folder" that is a file, and a .jvd entry that is a folder.
    d.write(kSpec, "not a folder");
    d.write(kOdds + "/a.jvd/inner.jvd", "RA\r\n");
    auto odd = kv::makeJVLink(d.path());
    ASSERT_EQ(odd->JVInit("UNKNOWN"), 0);
    EXPECT_EQ(open(*odd).readCount, 0);
    odd->JVClose();
    kv::clearUnreadableFiles();
    const Opened o2 = open(*odd, kOdds);
    EXPECT_EQ(o2.rc, 0);
    EXPECT_EQ(o2.readCount, 1);  // the folder stands where a file is: unreadable, not missing
    EXPECT_EQ(read(*odd).rc, -1);  // no records, the end of that file
    EXPECT_EQ(read(*odd).rc, 0);
    const auto unreadable = kv::unreadableFiles();
    ASSERT_EQ(unreadable.size(), 1u);
    EXPECT_NE(unreadable[0].find("a.jvd: "), std::string::npos) << unreadable[0];
    kv::clearUnreadableFiles();
}

TEST(JvLinkEmulator, ReadsFilesInNameOrderWithEndOfFileMarks) {
    TempDir d;
    writeWeek(d);
    d.write(kSpec + "/000.txt", "RA ignored: not a .jvd file\r\n");
    auto link = kv::makeJVLink(d.path());
    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    const Opened o = open(*link);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.readCount, 2);
    EXPECT_EQ(o.downloadCount, 0);

    Read r = read(*link);
    EXPECT_EQ(r.rc, 1272);
    EXPECT_EQ(r.size, 1272);
    EXPECT_EQ(r.buff, kvtest::jvRA(kRaceId).str());
    EXPECT_EQ(r.file, "001.jvd");
    EXPECT_EQ(read(*link).rc, 555);
    r = read(*link);
    EXPECT_EQ(r.rc, -1);
    EXPECT_EQ(r.buff, "");
    EXPECT_EQ(r.size, 0);
    // The last record of a file without final CR LF is delivered whole, CR LF included.
    r = read(*link);
    EXPECT_EQ(r.rc, 1609);
    EXPECT_EQ(r.buff, kvtest::jvUM("2023100001").str());
    EXPECT_EQ(r.file, "002.jvd");
    EXPECT_EQ(readAll(*link), (V{"-1", "0"}));
    EXPECT_EQ(read(*link).rc, 0);
    EXPECT_EQ(link->JVClose(), 0);
    EXPECT_EQ(read(*link).rc, -203);
}

TEST(JvLinkEmulator, LineEndsAndBlankLinesInFeedFiles) {
    TempDir d;
    d.write(kSpec + "/a.jvd", "RA1\nSE2\r\n\r\n\nHR3\r\r\n");
    auto link = kv::makeJVLink(d.path());
    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    ASSERT_EQ(open(*link).readCount, 1);
    for (const char* expect : {"RA1\r\n", "SE2\r\n", "HR3\r\n"}) EXPECT_EQ(read(*link).buff, expect);
    EXPECT_EQ(readAll(*link), (V{"-1", "0"}));

    // Garbage bytes (NULs, bytes that are no CP932, a lone lead byte) are delivered as they stand.
    const std::string garbage = std::string("SE\0\x80\xff\xfd", 6) + "\x82";
    d.write(kSpec + "/b.jvd", garbage);
    ASSERT_EQ(link->JVClose(), 0);
    ASSERT_EQ(open(*link).readCount, 2);
    EXPECT_EQ(readAll(*link, 3), (V{"RA", "SE", "HR"}));
    const Read g = read(*link);
    EXPECT_EQ(g.rc, -1);
    const Read r = read(*link);
    EXPECT_EQ(r.buff, garbage + "\r\n");
    EXPECT_EQ(r.size, static_cast<int>(garbage.size() + 2));
    EXPECT_EQ(r.file, "b.jvd");
}

TEST(JvLinkEmulator, InitAndOpenErrors) {
    TempDir d;
    writeWeek(d);
    auto link = kv::makeJVLink(d.path());
    EXPECT_EQ(open(*link).rc, -201);  // no JVInit yet
    EXPECT_EQ(link->JVRTOpen(kLiveResults, "20261206"), -201);
    EXPECT_EQ(link->JVInit(""), -101);
    EXPECT_EQ(link->JVInit(std::string(65, 'X')), -102);
    EXPECT_EQ(link->JVInit(" A/B/C/D"), -103);
    EXPECT_EQ(open(*link).rc, -201);

    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    int rc = 0, dl = 0;
    std::string ts;
    EXPECT_EQ(link->JVOpen("TOKU", kFrom, 2, rc, dl, ts), 0);  // a folder that is not there: nothing to read
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(link->JVOpen(kSpec, kFrom, 2, rc, dl, ts), -202);
    link->JVClose();
    EXPECT_EQ(link->JVOpen("TOKURACE", "0", 2, rc, dl, ts), -112);
    EXPECT_EQ(link->JVOpen("TOK", kFrom, 2, rc, dl, ts), -111);
    EXPECT_EQ(link->JVOpen(kSpec, kFrom, 0, rc, dl, ts), -115);
    EXPECT_EQ(link->JVOpen(kSpec, "20261201000000-20261207000000", 2, rc, dl, ts), 0);
    EXPECT_EQ(rc, 2);
    EXPECT_EQ(ts.size(), 14u);
    link->JVClose();

    d.write("control.txt",
            "# injected failures\n"
            "init_result = -301\n"
            "setui_result = -1\n" +
                section(kSpec) + "open_result = -504   # server maintenance\n");
    auto broken = kv::makeJVLink(d.path());
    EXPECT_EQ(broken->JVInit("UNKNOWN"), -301);
    EXPECT_EQ(open(*broken).rc, -201);
    EXPECT_EQ(broken->JVSetUIProperties(), -1);
    d.write("control.txt", section(kSpec) + "open_result = -504\n");
    ASSERT_EQ(broken->JVInit("UNKNOWN"), 0);  // the control file is read again
    const Opened o = open(*broken);
    EXPECT_EQ(o.rc, -504);
    EXPECT_EQ(o.readCount, 0);
    EXPECT_EQ(read(*broken).rc, -203);
    EXPECT_EQ(broken->JVOpen(kOdds, kFrom, 2, rc, dl, ts), 0);  // other specs unaffected
}

TEST(JvLinkEmulator, DownloadProgressPerStatusCall) {
    TempDir d;
    writeWeek(d);
    d.write("control.txt", section(kSpec) + "download_count = 2\ncancel_after_status = 7\n");
    auto link = kv::makeJVLink(d.path());
    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    const Opened o = open(*link);
    EXPECT_EQ(o.readCount, 2);
    EXPECT_EQ(o.downloadCount, 2);
    EXPECT_EQ(kv::feedCancelAfterStatus(*link), 7);
    Read r = read(*link);
    EXPECT_EQ(r.rc, -3);  // the first file is still downloading
    EXPECT_EQ(r.file, "001.jvd");
    EXPECT_EQ(link->JVStatus(), 0);  // nothing yet at the first poll
    EXPECT_EQ(link->JVStatus(), 1);
    EXPECT_EQ(read(*link).rc, 1272);
    EXPECT_EQ(readAll(*link, 3), (V{"SE", "-1", "-3"}));
    EXPECT_EQ(link->JVStatus(), 2);
    EXPECT_EQ(link->JVStatus(), 2);
    EXPECT_EQ(readAll(*link), (V{"UM", "-1", "0"}));
    link->JVClose();
    // Downloaded files stay downloaded until the next JVInit.
    EXPECT_EQ(open(*link).downloadCount, 0);
    link->JVClose();
    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    EXPECT_EQ(open(*link).downloadCount, 2);

    // More files to download than the folder holds, several per poll.
    d.write("control.txt", section(kSpec) + "download_count = 12\nstatus_step = 5\n");
    auto big = kv::makeJVLink(d.path());
    ASSERT_EQ(big->JVInit("UNKNOWN"), 0);
    EXPECT_EQ(open(*big).downloadCount, 12);
    std::vector<int> polls;
    for (int i = 0; i < 5; ++i) polls.push_back(big->JVStatus());
    EXPECT_EQ(polls, (std::vector<int>{0, 5, 10, 12, 12}));
    EXPECT_EQ(readAll(*big), (V{"RA", "SE", "-1", "UM", "-1", "0"}));
    EXPECT_EQ(kv::feedCancelAfterStatus(*big), -1);
}

TEST(JvLinkEmulator, DownloadProgressByTime) {
    TempDir d;
    writeWeek(d);
    d.write("control.txt", section(kSpec) + "download_count = 3\nstatus_ms = 1\n");
    auto link = kv::makeJVLink(d.path());
    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    ASSERT_EQ(open(*link).downloadCount, 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(link->JVStatus(), 3);
    EXPECT_EQ(readAll(*link), (V{"RA", "SE", "-1", "UM", "-1", "0"}));

    d.write("control.txt", section(kSpec) + "download_count = 3\nstatus_ms = 3600000\n");
    auto slow = kv::makeJVLink(d.path());
    ASSERT_EQ(slow->JVInit("UNKNOWN"), 0);
    open(*slow);
    EXPECT_EQ(slow->JVStatus(), 0);
    EXPECT_EQ(read(*slow).rc, -3);
}

TEST(JvLinkEmulator, StatusFailureAndCancellation) {
    TempDir d;
    writeWeek(d);
    d.write("control.txt",
            section(kSpec) + "download_count = 1\nstatus_error = -502\nstatus_error_after = 1\n");
    auto link = kv::makeJVLink(d.path());
    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    open(*link);
    EXPECT_EQ(link->JVStatus(), 0);
    EXPECT_EQ(link->JVStatus(), -502);
    EXPECT_EQ(link->JVStatus(), -502);
    // Reading after the failed download: what was there is served, the missing file is not.
    EXPECT_EQ(readAll(*link, 4), (V{"RA", "SE", "-1", "-3"}));

    d.write("control.txt", section(kSpec) + "download_count = 2\ncancel_after_status = 1\n");
    auto c = kv::makeJVLink(d.path());
    ASSERT_EQ(c->JVInit("UNKNOWN"), 0);
    open(*c);
    EXPECT_EQ(kv::feedCancelAfterStatus(*c), 1);
    EXPECT_EQ(c->JVStatus(), 0);
    EXPECT_EQ(c->JVCancel(), 0);
    EXPECT_EQ(c->JVStatus(), 0);  // the download stopped
    EXPECT_EQ(c->JVStatus(), 0);
    EXPECT_EQ(read(*c).rc, -203);
    EXPECT_EQ(c->JVClose(), 0);
}

TEST(JvLinkEmulator, DamagedFileIsRepairedAfterDeletes) {
    TempDir d;
    writeWeek(d);
    d.write("control.txt", section(kSpec) + "damaged = 002.jvd -403 2\n");
    auto link = kv::makeJVLink(d.path());
    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    open(*link);
    EXPECT_EQ(readAll(*link, 3), (V{"RA", "SE", "-1"}));
    Read r = read(*link);
    EXPECT_EQ(r.rc, -403);
    EXPECT_EQ(r.file, "002.jvd");
    EXPECT_EQ(read(*link).rc, -403);  // stays damaged until deleted
    EXPECT_EQ(link->JVFiledelete(r.file), 0);
    link->JVClose();
    EXPECT_EQ(open(*link).rc, 0);
    // A reopened read starts again with the first file.
    EXPECT_EQ(readAll(*link, 4), (V{"RA", "SE", "-1", "-403"}));
    EXPECT_EQ(link->JVFiledelete("002.jvd"), 0);
    link->JVClose();
    open(*link);
    EXPECT_EQ(readAll(*link), (V{"RA", "SE", "-1", "UM", "-1", "0"}));
    EXPECT_EQ(link->JVFiledelete("nope.jvd"), -1);

    // -402 with the default of one delete.
    d.write("control.txt", section(kSpec) + "damaged = 001.jvd\n");
    auto l2 = kv::makeJVLink(d.path());
    ASSERT_EQ(l2->JVInit("UNKNOWN"), 0);
    open(*l2);
    r = read(*l2);
    EXPECT_EQ(r.rc, -402);
    EXPECT_EQ(r.file, "001.jvd");
    l2->JVFiledelete(r.file);
    l2->JVClose();
    open(*l2);
    EXPECT_EQ(read(*l2).rc, 1272);
}

TEST(JvLinkEmulator, InjectedReadErrorFiresOncePerOpen) {
    TempDir d;
    writeWeek(d);
    d.write("control.txt", section(kSpec) + "read_error = -502\nread_error_after = 1\n");
    auto link = kv::makeJVLink(d.path());
    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    open(*link);
    EXPECT_EQ(readAll(*link), (V{"RA", "-502", "SE", "-1", "UM", "-1", "0"}));
    link->JVClose();
    open(*link);
    EXPECT_EQ(readAll(*link, 2), (V{"RA", "-502"}));
}

TEST(JvLinkEmulator, LiveStreams) {
    TempDir d;
    d.write(kLiveOdds + "/" + kRaceId + ".jvd",
            kvtest::jvO1(kRaceId, 12, [](int h) { return 10L * h; }) +
                kvtest::jvO2(kRaceId, 12, [](int, int) { return 100L; }));
    d.write(kLiveResults + "/20261206.jvd", kvtest::jvRA(kRaceId, "9").str() + kvtest::jvHR(kRaceId, "2").str());
    d.write("control.txt",
            section(kLiveOdds) + "open_result.2026120605050102 = -502\n" + section(kLiveResults) +
                "read_error = -502\nread_error_after = 1\n");
    auto link = kv::makeJVLink(d.path());
    ASSERT_EQ(link->JVInit("UNKNOWN"), 0);
    EXPECT_EQ(link->JVRTOpen(kLiveOdds, kRaceId), 0);
    EXPECT_EQ(link->JVRTOpen(kLiveOdds, kRaceId), -202);
    Read r = read(*link);
    EXPECT_EQ(r.rc, 962);
    EXPECT_EQ(r.file, kRaceId + ".jvd");
    EXPECT_EQ(readAll(*link), (V{"O2", "-1", "0"}));
    EXPECT_EQ(link->JVStatus(), -203);  // no download behind live data
    link->JVClose();

    EXPECT_EQ(link->JVRTOpen(kLiveOdds, "2026120605050102"), -502);
    EXPECT_EQ(link->JVRTOpen(kLiveOdds, "2026120605050103"), -1);
    EXPECT_EQ(link->JVRTOpen(kLiveResults, ""), -114);
    EXPECT_EQ(link->JVRTOpen(kLiveResults, "../control"), -114);
    EXPECT_EQ(read(*link).rc, -203);
    EXPECT_EQ(link->JVRTOpen(kLiveResults, "20261206"), 0);
    EXPECT_EQ(readAll(*link), (V{"RA", "-502", "HR", "-1", "0"}));
    link->JVClose();

    // Each window has its own instance: two readers of one feed do not disturb each other.
    auto other = kv::makeJVLink(d.path());
    ASSERT_EQ(other->JVInit("UNKNOWN"), 0);
    ASSERT_EQ(link->JVRTOpen(kLiveOdds, kRaceId), 0);
    ASSERT_EQ(other->JVRTOpen(kLiveOdds, kRaceId), 0);
    EXPECT_EQ(read(*link).buff.substr(0, 2), "O1");
    EXPECT_EQ(read(*other).buff.substr(0, 2), "O1");
    EXPECT_EQ(read(*link).buff.substr(0, 2), "O2");
}

TEST(JvLinkEmulator, ControlFileParsingSkipsBadLines) {
    const auto c = kv::FeedControl::parse(
        "garbage line without equals\n"
        "init_result = abc\n"
        "setui_result = -1\r\n" +
        ("[" + kOdds + "\n") +  // unterminated section header: ignored
        section(kOdds) +
        "download_count = -4\n"
        "status_step = 0\n"
        "damaged = \n"
        "damaged = x.jvd 12\n"   // a positive code is no damage
        "damaged = y.jvd -403 0\n"
        "status_error = 5\n"
        "unknown_key = 1\n");
    EXPECT_EQ(c.initResult, 0);
    EXPECT_EQ(c.setUiResult, -1);
    const auto& s = c.spec(kOdds);
    EXPECT_EQ(s.downloadCount, 0);
    EXPECT_EQ(s.statusStep, 1);
    ASSERT_EQ(s.damaged.size(), 1u);
    EXPECT_EQ(s.damaged[0].file, "y.jvd");
    EXPECT_EQ(s.damaged[0].deletes, 1);
    EXPECT_EQ(s.statusError, 0);
    EXPECT_EQ(c.spec("NONE").downloadCount, 0);
}

namespace {

TEST(JvLinkEmulator, ControlFileIsParsedOnceUntilItChanges) {
    kvtest::TempDir d;
    d.write("control.txt", "init_result = -301\n" + std::string(100000, '#') + "\n");
    kv::JVLinkEmulator emu(d.path());
    for (int i = 0; i < 50; ++i) EXPECT_EQ(emu.JVInit("UNKNOWN"), -301);
    EXPECT_EQ(emu.controlParses(), 1);
    d.write("control.txt", "init_result = -302\n");
    EXPECT_EQ(emu.JVInit("UNKNOWN"), -302);
    EXPECT_EQ(emu.controlParses(), 2);
}

}  // namespace
