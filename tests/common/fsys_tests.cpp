// The file layer: missing versus unreadable files, and writers under injected
// faults (a full disk after N bytes, a failing rename). A writer that fails
// says so and never leaves a torn file under the final name.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <mutex>
#include <algorithm>

#include "common/dayfile.h"
#include "common/fields.h"
#include "common/fsys.h"
#include "common/recordfile.h"
#include "common/stepstate.h"
#include "fixtures/fixtures.h"

namespace {

struct FaultScope {
    explicit FaultScope(const kv::fsys::Faults& f) { kv::fsys::setFaults(f); }
    ~FaultScope() { kv::fsys::clearFaults(); }
};

kv::fsys::Faults fullAfter(long long n) {
    kv::fsys::Faults f;
    f.failWriteAfterBytes = n;
    return f;
}
kv::fsys::Faults renameFails() {
    kv::fsys::Faults f;
    f.failRename = true;
    return f;
}

bool hasTemp(const kvtest::TempDir& d) {
    for (const auto& n : kv::listFiles(d.path()))
        if (n.find(".tmp") != std::string::npos) return true;
    return false;
}

TEST(FileRead, MissingIsNotUnreadable) {
    kvtest::TempDir d;
    d.write("good.dat", "abcdef");
    d.write("folder.dat/inside", "x");
    kv::clearUnreadableFiles();

    struct Case {
        const char* name;
        kv::ReadStatus status;
    };
    const Case cases[] = {{"good.dat", kv::ReadStatus::Ok},
                          {"absent.dat", kv::ReadStatus::Missing},
                          {"absent/deeper.dat", kv::ReadStatus::Missing},
                          {"good.dat/below", kv::ReadStatus::Missing},
                          {"folder.dat", kv::ReadStatus::Unreadable}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(kv::readFileChecked(d.file(c.name)).status, c.status);
        EXPECT_EQ(kv::readFileBytes(d.file(c.name)).has_value(), c.status == kv::ReadStatus::Ok);
    }
    // A denied read (as a file without permission would give).
    {
        kv::fsys::Faults f;
        f.denyReadContaining = "good.dat";
        FaultScope s(f);
        const kv::FileRead r = kv::readFileChecked(d.file("good.dat"));
        EXPECT_EQ(r.status, kv::ReadStatus::Unreadable);
        EXPECT_TRUE(r.bytes.empty());
        EXPECT_FALSE(r.reason.empty());
        EXPECT_TRUE(kv::RecordFile(d.file("good.dat"), 2).readAll().empty());
        EXPECT_FALSE(kv::RecordFile(d.file("good.dat"), 2).read(1).has_value());
    }
    // Record files see a folder as unreadable too, and have no records.
    EXPECT_EQ(kv::RecordFile(d.file("folder.dat"), 2).count(), 0u);

    const auto listed = kv::unreadableFiles();
    ASSERT_EQ(listed.size(), 2u);  // each file once, in the order found
    EXPECT_EQ(listed[0].rfind(d.file("folder.dat") + ": ", 0), 0u);
    EXPECT_EQ(listed[1].rfind(d.file("good.dat") + ": ", 0), 0u);
    kv::clearUnreadableFiles();
    EXPECT_TRUE(kv::unreadableFiles().empty());
}

// Each step has its own list of unreadable files: a step started on another
// thread (live odds while the calculation runs) clears only its own list, and
// the workers of a step report into the step's list.
// A writer asks whether a file already holds its bytes; the answer reads
// the file whole (a large one too) and notes nothing about the old file.
TEST(FileRead, FileHoldsTheseBytesAndNotesNothing) {
    kvtest::TempDir d;
    std::string large(300 * 1024, 'a');
    large.back() = 'z';
    d.write("large.dat", large);
    d.write("small.dat", "abcdef");
    d.write("folder.dat/inside", "x");
    kv::clearUnreadableFiles();
    std::string changed = large;
    changed[200 * 1024] = 'b';
    EXPECT_TRUE(kv::fileHolds(d.path() + "/large.dat", large));
    EXPECT_FALSE(kv::fileHolds(d.path() + "/large.dat", changed));
    EXPECT_FALSE(kv::fileHolds(d.path() + "/large.dat", large.substr(1)));
    EXPECT_TRUE(kv::fileHolds(d.path() + "/small.dat", "abcdef"));
    EXPECT_FALSE(kv::fileHolds(d.path() + "/small.dat", "abcdeg"));
    EXPECT_FALSE(kv::fileHolds(d.path() + "/absent.dat", ""));
    EXPECT_FALSE(kv::fileHolds(d.path() + "/folder.dat", ""));
    EXPECT_TRUE(kv::unreadableFiles().empty());
}

TEST(FileRead, EachStepKeepsItsOwnUnreadableFiles) {
    kvtest::TempDir d;
    d.write("folder.dat/inside", "x");
    kv::clearUnreadableFiles();
    std::thread worker = kv::stepThread([&] { (void)kv::readFileBytes(d.file("folder.dat")); });
    worker.join();
    std::thread otherStep([&] {
        kv::clearUnreadableFiles();
        EXPECT_TRUE(kv::unreadableFiles().empty());
        kv::noteUnreadable(d.file("other.dat"), "denied");
        EXPECT_EQ(kv::unreadableFiles().size(), 1u);
    });
    otherStep.join();
    const auto listed = kv::unreadableFiles();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].rfind(d.file("folder.dat") + ": ", 0), 0u);
    kv::clearUnreadableFiles();
}

// The read runs as the user nobody, whom permissions bind.
TEST(FileRead, PermissionDeniedIsUnreadable) {
    kvtest::TempDir d;
    d.write("locked.dat", "abc");
    ASSERT_EQ(::chmod(d.file("locked.dat").c_str(), 0), 0);
    const kvtest::ChildEnd end = kvtest::runAsNobody(
        d.path(), [&] { return static_cast<int>(kv::readFileChecked(d.file("locked.dat")).status); });
    ::chmod(d.file("locked.dat").c_str(), 0644);
    ASSERT_TRUE(end.fault.empty()) << end.fault;
    EXPECT_EQ(end.code, static_cast<int>(kv::ReadStatus::Unreadable));
}

// Every whole-file writer under each fault: it reports the failure, the old
// file stays as it was, and no temporary file is left behind.
TEST(FileWrite, WholeFileWritersKeepTheOldFileOnFailure) {
    struct Writer {
        const char* name;
        std::function<bool(const std::string& path)> write;
    };
    const std::string big(5000, 'n');
    const Writer writers[] = {
        {"writeFileAtomic", [&](const std::string& p) { return kv::writeFileAtomic(p, big); }},
        {"RecordFile::writeAll",
         [&](const std::string& p) { return kv::RecordFile(p, 10).writeAll(std::vector<std::string>(500, "rec")); }},
        {"StagedFile",
         [&](const std::string& p) {
             kv::StagedFile f(p);
             f.append(big.substr(0, 100));
             f.restart();  // what came before a restart is dropped
             for (int i = 0; i < 5; ++i) f.append(big.substr(0, 1000));
             return f.commit();
         }},
    };
    const std::pair<const char*, kv::fsys::Faults> faults[] = {
        {"disk full at once", fullAfter(0)}, {"disk full midway", fullAfter(1234)}, {"rename fails", renameFails()}};
    for (const auto& w : writers)
        for (const auto& [fname, fault] : faults) {
            SCOPED_TRACE(std::string(w.name) + ", " + fname);
            kvtest::TempDir d;
            d.write("out.dat", "old whole file");
            {
                FaultScope s(fault);
                EXPECT_FALSE(w.write(d.file("out.dat")));
            }
            EXPECT_EQ(d.read("out.dat"), "old whole file");
            EXPECT_FALSE(hasTemp(d));
            EXPECT_TRUE(w.write(d.file("out.dat")));  // and without the fault it writes
            EXPECT_EQ(kv::fileSize(d.file("out.dat")), 5000);
        }
}

// A new file appears whole or not at all: under a fault neither it nor a
// temporary file is left, and without one it holds exactly what was written.
TEST(FileWrite, NewFileAppearsWholeOrNotAtAll) {
    const std::string big(300000, 'b');
    const std::pair<const char*, kv::fsys::Faults> faults[] = {
        {"disk full midway", fullAfter(1234)}, {"placing fails", renameFails()}};
    for (const auto& [fname, fault] : faults) {
        SCOPED_TRACE(fname);
        kvtest::TempDir d;
        {
            FaultScope s(fault);
            EXPECT_FALSE(kv::writeFileAtomic(d.file("new.dat"), big));
        }
        EXPECT_TRUE(kv::listFiles(d.path()).empty());
        EXPECT_TRUE(kv::writeFileAtomic(d.file("new.dat"), big));
        EXPECT_EQ(d.read("new.dat"), big);
        EXPECT_TRUE(kv::writeFileAtomic(d.file("new.dat"), "short"));  // and replaced
        EXPECT_EQ(d.read("new.dat"), "short");
        EXPECT_EQ(kv::listFiles(d.path()).size(), 1u);
    }
}

// Whole-file views, small (read) and large (mapped), and the records in them;
// a mapped file that is cut short while held reads as zero bytes past its end.
TEST(FileRead, ViewsOfSmallAndLargeFiles) {
    kvtest::TempDir d;
    std::string large(1 << 20, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>('a' + i % 26);
    d.write("small.dat", "0123456789abc");
    d.write("large.dat", large);
    d.write("empty.dat", "");
    {
        auto v = kv::readFileView(d.file("small.dat"));
        ASSERT_TRUE(v.ok());
        EXPECT_EQ(v.bytes.view(), "0123456789abc");
        kv::RecordView recs(std::move(v.bytes), 5);  // the partial last record is dropped
        ASSERT_EQ(recs.size(), 2u);
        EXPECT_EQ(recs[1], "56789");
        std::string joined;
        for (std::string_view r : recs) joined += r;
        EXPECT_EQ(joined, "0123456789");
    }
    EXPECT_TRUE(kv::readFileView(d.file("empty.dat")).ok());
    EXPECT_TRUE(kv::readFileView(d.file("empty.dat")).bytes.empty());
    EXPECT_EQ(kv::readFileView(d.file("none.dat")).status, kv::ReadStatus::Missing);
    EXPECT_TRUE(kv::RecordFile(d.file("none.dat"), 5).view().empty());

    auto v = kv::readFileView(d.file("large.dat"));
    ASSERT_TRUE(v.ok());
    EXPECT_EQ(v.bytes.view(), large);
    kv::FileBytes held = std::move(v.bytes);
    ASSERT_EQ(::truncate(d.file("large.dat").c_str(), 4096), 0);  // another program cuts it short
    EXPECT_EQ(held.view().substr(0, 4096), large.substr(0, 4096));
    EXPECT_EQ(held.view().substr(held.size() - 10), std::string(10, '\0'));
    EXPECT_EQ(held.view().find_first_not_of('\0', 8192), std::string_view::npos);
}

// A file scanned through reused buffers, in parts read at the same time.
TEST(FileRead, ScannedPartsTogetherGiveEveryRecordInOrder) {
    kvtest::TempDir dir;
    // 3 MB and a bit of 1000-byte records numbered in their first bytes, and a cut-off last record.
    constexpr std::size_t kLen = 1000, kCount = 3200;
    std::string bytes;
    for (std::size_t i = 0; i < kCount; ++i) bytes += kv::zeroPad(static_cast<long long>(i), 8) + std::string(kLen - 8, 'x');
    bytes += "cut";
    dir.write("big.dat", bytes);
    for (unsigned parts : {1u, 2u, 3u, 7u}) {
        std::vector<std::vector<std::string>> seen(parts);
        std::mutex m;
        kv::scanRecords(dir.file("big.dat"), kLen, parts, [&](unsigned k, std::string_view rec) {
            std::lock_guard<std::mutex> lock(m);
            seen.at(k).push_back(std::string(rec.substr(0, 8)));
        });
        std::vector<std::string> all;
        for (const auto& p : seen) all.insert(all.end(), p.begin(), p.end());
        ASSERT_EQ(all.size(), kCount) << parts;
        for (std::size_t i = 0; i < kCount; ++i) ASSERT_EQ(all[i], kv::zeroPad(static_cast<long long>(i), 8)) << parts;
        EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const auto& p) { return !p.empty(); }), std::min(parts, 3u))
            << "parts of at least a megabyte";
    }
    // Missing: nothing, no note. A folder: noted.
    kv::clearUnreadableFiles();
    int calls = 0;
    EXPECT_EQ(kv::scanRecords(dir.file("none.dat"), kLen, 2, [&](unsigned, std::string_view) { ++calls; }),
              kv::ReadStatus::Missing);
    EXPECT_TRUE(kv::unreadableFiles().empty());
    ASSERT_TRUE(kv::makeDirs(dir.file("folder.dat")));
    EXPECT_EQ(kv::scanRecords(dir.file("folder.dat"), kLen, 2, [&](unsigned, std::string_view) { ++calls; }),
              kv::ReadStatus::Unreadable);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(kv::unreadableFiles().size(), 1u);
    kv::clearUnreadableFiles();
}

// Writers that append or write in place report a failure; what they wrote
// before it stays, as for a file written line by line.
TEST(FileWrite, AppendingWritersReportTheFailure) {
    kvtest::TempDir d;
    FaultScope s(fullAfter(6));
    EXPECT_TRUE(kv::appendFileBytes(d.file("a.txt"), "line1\n"));
    EXPECT_FALSE(kv::appendFileBytes(d.file("a.txt"), "line2\n"));
    EXPECT_FALSE(kv::RecordFile(d.file("r.dat"), 4).write(1, "abcd"));
    kv::DayFiles days;
    EXPECT_FALSE(days.write("0101", d.file("day.txt"), "more"));
    kv::RecordFileWriter w(d.file("w.dat"), 4);
    ASSERT_TRUE(w.open());
    w.write(1, "abcd");
    w.close();
    EXPECT_GT(w.failures(), 0);
    EXPECT_EQ(d.read("a.txt"), "line1\n");
}

// Day files built over a run on a disk that fills up: a file one of whose
// writes failed keeps its old version and is named; the others are put in
// place; no temporary file stays.
TEST(FileWrite, DayFilesOnAFullDiskKeepTheirOldVersion) {
    kvtest::TempDir d;
    d.write("a.txt", "old a\n");
    d.write("b.txt", "old b\n");
    kv::DayFiles days;
    EXPECT_TRUE(days.write("1", d.file("b.txt"), "b1\n"));
    {
        FaultScope s(fullAfter(4));
        EXPECT_FALSE(days.write("2", d.file("a.txt"), "a1-long\n"));
    }
    EXPECT_TRUE(days.write("2", d.file("a.txt"), "a2\n"));  // later races go on, the file stays marked
    EXPECT_EQ(days.place(), std::vector<std::string>{d.file("a.txt")});
    EXPECT_EQ(d.read("a.txt"), "old a\n");
    EXPECT_EQ(d.read("b.txt"), "b1\n");
    EXPECT_EQ(kv::listFiles(d.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(FileWrite, RecordWriterRestartsAndBuffersInOrder) {
    kvtest::TempDir d;
    kv::RecordFileWriter w(d.file("w.dat"), 3);
    ASSERT_TRUE(w.open());
    w.write(1, "aaa");
    w.write(2, "bbb");
    EXPECT_TRUE(w.truncate(0));  // what was written goes
    w.write(1, "ccc");
    w.write(3, "e");             // a gap: zero bytes in between, the record padded
    w.write(2, "dddd");          // cut at the record length
    w.close();
    EXPECT_EQ(w.failures(), 0);
    EXPECT_EQ(d.read("w.dat"), "cccddde  ");
}

TEST(TempFiles, StaleTemporaryFilesOfDeadWritersAreRemoved) {
    kvtest::TempDir d;
    const std::string mine = kv::tempNameFor(d.file("a.dat"));
    for (const char* n : {"a.dat.tmp999999999_0", "b.dat.tmp999999999_3", "a.dat.tmpx_1", "a.dat", "c.tmp"})
        d.write(n, "x");
    ASSERT_TRUE(kv::appendFileBytes(mine, "in flight"));
    d.write("a.dat.tmp1_0", "pid 1 still runs");
    EXPECT_EQ(kv::removeStaleTemps(d.path(), {"a.dat"}), 1);
    EXPECT_FALSE(d.exists("a.dat.tmp999999999_0"));
    EXPECT_TRUE(d.exists("b.dat.tmp999999999_3"));  // not one of the names asked for
    EXPECT_EQ(kv::removeStaleTemps(d.path()), 1);
    for (const char* n : {"a.dat.tmpx_1", "a.dat", "c.tmp", "a.dat.tmp1_0"}) EXPECT_TRUE(d.exists(n)) << n;
    EXPECT_TRUE(kv::fileExists(mine));
}

TEST(StepState, PrerequisitesThatDidNotEndWellAreNamed) {
    kvtest::TempDir d;
    namespace st = kv::steps;
    EXPECT_TRUE(st::warningsFor(d.path(), st::CALCULATE).empty());  // nothing recorded yet

    st::StepRun(d.path(), st::FETCH).finish(true);
    st::StepRun(d.path(), st::STRUCTURE).finish(true);
    st::StepRun(d.path(), st::FIX_PREVIOUS_DAY).finish(true);
    EXPECT_TRUE(st::warningsFor(d.path(), st::CALCULATE).empty());
    {
        st::StepRun killed(d.path(), st::CALCULATE);  // never finishes
    }
    EXPECT_EQ(st::entryOf(d.path(), st::CALCULATE).state, st::State::Started);
    auto w = st::warningsFor(d.path(), st::PREDICT);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_NE(w[0].find("⑤計算"), std::string::npos);
    EXPECT_NE(w[0].find("中断"), std::string::npos);

    st::StepRun(d.path(), st::CALCULATE).finish(false);
    w = st::warningsFor(d.path(), st::PREDICT);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_NE(w[0].find("失敗"), std::string::npos);

    st::StepRun(d.path(), st::CALCULATE).finish(true);
    EXPECT_TRUE(st::warningsFor(d.path(), st::PREDICT).empty());
    // A new fetch makes the structure stale for what follows it.
    st::StepRun(d.path(), st::FETCH).finish(true);
    w = st::warningsFor(d.path(), st::CALCULATE);
    ASSERT_EQ(w.size(), 1u);  // the structure predates it
    EXPECT_NE(w[0].find("②構造・中止処理"), std::string::npos);
    EXPECT_NE(w[0].find("①今週開催取得"), std::string::npos);
    // A step killed while it rewrote the record left its temporary file: the next step removes it.
    d.write("STEPSTATE.txt.tmp999999999_0", "fetch\t1\tst");
    st::StepRun(d.path(), st::FETCH).finish(true);
    EXPECT_FALSE(d.exists("STEPSTATE.txt.tmp999999999_0"));
    w = st::warningsFor(d.path(), st::ODDS_TABLES);  // both odds downloads
    ASSERT_EQ(w.size(), 2u);
    EXPECT_NE(w[0].find("「今週のオッズ」がまだ実行されていません"), std::string::npos);
    EXPECT_NE(w[1].find("「今週の3連単」がまだ実行されていません"), std::string::npos);
}

}  // namespace
