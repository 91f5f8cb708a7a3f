// Work spread over threads: run side by side, commits in index order on the calling thread, the
// same results on one thread as on many, failures carried to the caller, and
// the workers' unreadable files in the caller's notes; a queue of tasks fed
// while it runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/fsys.h"
#include "common/parallel.h"
#include "fixtures/fixtures.h"

namespace {

// Holds each thread that arrives until `want` threads are inside at once, for a
// few seconds at most; met() tells whether they ever were. Work done one piece
// after the other never meets: the first wait runs out, and nobody waits after it.
class Meeting {
public:
    explicit Meeting(int want) : want_(want) {}
    void arrive() {
        std::unique_lock<std::mutex> lock(mu_);
        threads_.insert(std::this_thread::get_id());
        if (++inside_ >= want_) {
            met_ = true;
            cv_.notify_all();
        } else if (!gaveUp_ && !cv_.wait_for(lock, std::chrono::seconds(5), [this] { return met_; })) {
            gaveUp_ = true;
        }
        --inside_;
    }
    bool met() {
        std::lock_guard<std::mutex> lock(mu_);
        return met_;
    }
    std::size_t threads() {
        std::lock_guard<std::mutex> lock(mu_);
        return threads_.size();
    }

private:
    std::mutex mu_;
    std::condition_variable cv_;
    const int want_;
    int inside_ = 0;
    bool met_ = false, gaveUp_ = false;
    std::set<std::thread::id> threads_;
};

// With threads to be had, the work runs side by side: two pieces of work are
// under way at the same time, on different threads.
TEST(Parallel, WorkRunsSideBySide) {
    for (bool commits : {false, true}) {
        SCOPED_TRACE(commits ? "orderedForEach with commits" : "orderedForEach");
        Meeting meeting(2);
        kv::orderedForEach(
            4, 4, [&](std::size_t, unsigned) { meeting.arrive(); },
            commits ? std::function<void(std::size_t)>([](std::size_t) {}) : std::function<void(std::size_t)>());
        EXPECT_TRUE(meeting.met());
        EXPECT_GT(meeting.threads(), 1u);
    }
    {
        SCOPED_TRACE("TaskQueue");
        Meeting meeting(2);
        kv::TaskQueue queue(3);
        for (int i = 0; i < 4; ++i) queue.push([&](unsigned) { meeting.arrive(); });
        queue.finish();
        EXPECT_TRUE(meeting.met());
        EXPECT_GT(meeting.threads(), 1u);
    }
}

struct Outcome {
    std::vector<long> results;          // what each index worked out, as committed
    std::vector<std::size_t> commits;   // the indexes in the order committed
    std::set<unsigned> workerIds;
    bool committedOnCaller = true;
    bool workedBeforeCommit = true;
    bool stayedBehind = true;           // no index started more than `ahead` past the commits
};

Outcome run(std::size_t count, unsigned workers, std::size_t ahead) {
    Outcome r;
    std::vector<long> worked(count, 0);
    std::vector<std::atomic<bool>> done(count);
    std::atomic<std::size_t> committed{0};
    std::mutex mu;
    const auto caller = std::this_thread::get_id();
    kv::orderedForEach(
        count, workers,
        [&](std::size_t i, unsigned w) {
            if (ahead && i >= ahead && committed.load() < i - ahead + 1) r.stayedBehind = false;
            unsigned long v = 0;  // wraps on purpose: any value that depends on i will do
            for (std::size_t k = 0; k <= i % 97; ++k) v = v * 31 + i + k;
            worked[i] = static_cast<long>(v % 1000003);
            done[i] = true;
            std::lock_guard<std::mutex> lock(mu);
            r.workerIds.insert(w);
        },
        [&](std::size_t i) {
            if (std::this_thread::get_id() != caller) r.committedOnCaller = false;
            if (!done[i]) r.workedBeforeCommit = false;
            r.commits.push_back(i);
            r.results.push_back(worked[i]);
            committed = i + 1;
        },
        ahead);
    return r;
}

TEST(OrderedForEach, CommitsInOrderWithTheSameResultsOnOneThreadAsOnMany) {
    struct Case {
        std::size_t count;
        unsigned workers;
        std::size_t ahead;
    };
    const Case cases[] = {{0, 4, 0},   {1, 4, 0},   {5, 1, 0},  {500, 2, 0}, {500, 3, 4},
                          {500, 8, 1}, {3, 16, 0},  {3, 16, 2}, {200, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE("count " + std::to_string(c.count) + " workers " + std::to_string(c.workers) + " ahead " +
                     std::to_string(c.ahead));
        const Outcome one = run(c.count, 1, c.ahead);
        const Outcome many = run(c.count, c.workers, c.ahead);
        std::vector<std::size_t> inOrder(c.count);
        for (std::size_t i = 0; i < c.count; ++i) inOrder[i] = i;
        EXPECT_EQ(many.commits, inOrder);
        EXPECT_EQ(many.results, one.results);
        EXPECT_TRUE(many.committedOnCaller);
        EXPECT_TRUE(many.workedBeforeCommit);
        EXPECT_TRUE(many.stayedBehind);
        // Never more threads than indexes, each with its own number.
        for (unsigned w : many.workerIds) EXPECT_LT(w, std::max<std::size_t>(1, std::min<std::size_t>(c.workers, c.count)));
    }
}

TEST(OrderedForEach, WorkWithoutCommitsIsAllDoneOnReturn) {
    for (unsigned workers : {1u, 2u, 7u}) {
        std::vector<int> hit(1000, 0);
        kv::orderedForEach(hit.size(), workers, [&](std::size_t i, unsigned) { ++hit[i]; });
        EXPECT_EQ(std::count(hit.begin(), hit.end(), 1), 1000) << workers;
    }
}

// A failure stops the work: the caller gets it after the commits before it,
// none after it, and every thread is joined (the test would end otherwise).
TEST(OrderedForEach, FailuresReachTheCaller) {
    for (unsigned workers : {1u, 2u, 5u}) {
        for (bool inCommit : {false, true}) {
            SCOPED_TRACE(std::to_string(workers) + (inCommit ? " commit" : " work"));
            std::vector<std::size_t> commits;
            std::atomic<std::size_t> startedAfter{0};
            try {
                kv::orderedForEach(
                    300, workers,
                    [&](std::size_t i, unsigned) {
                        if (!inCommit && i == 40) throw std::runtime_error("work 40");
                        if (i > 200) ++startedAfter;
                    },
                    [&](std::size_t i) {
                        if (inCommit && i == 40) throw std::runtime_error("commit 40");
                        commits.push_back(i);
                    },
                    4);
                ADD_FAILURE() << "no exception";
            } catch (const std::runtime_error& e) {
                EXPECT_EQ(std::string(e.what()), inCommit ? "commit 40" : "work 40");
            }
            ASSERT_EQ(commits.size(), 40u);
            EXPECT_EQ(commits.back(), 39u);
            EXPECT_EQ(startedAfter.load(), 0u);  // held back by the commits
        }
    }
    // Without commits: the first failure in index order.
    for (unsigned workers : {1u, 3u}) {
        try {
            kv::orderedForEach(50, workers, [](std::size_t i, unsigned) {
                if (i == 7 || i == 9) throw std::out_of_range(std::to_string(i));
            });
            ADD_FAILURE() << "no exception";
        } catch (const std::out_of_range& e) {
            EXPECT_EQ(std::string(e.what()), "7");
        }
    }
}

TEST(OrderedForEach, WorkersReportIntoTheCallersNotes) {
    kvtest::TempDir d;
    for (int k = 0; k < 6; ++k) d.write("folder" + std::to_string(k) + ".dat/inside", "x");
    kv::clearUnreadableFiles();
    kv::orderedForEach(6, 3, [&](std::size_t i, unsigned) {
        (void)kv::readFileChecked(d.file("folder" + std::to_string(i) + ".dat"));
    });
    EXPECT_EQ(kv::unreadableFiles().size(), 6u);
    kv::clearUnreadableFiles();
}

}  // namespace

namespace {

// Tasks pushed while the queue runs, and tasks pushing tasks, all run once
// before finish() returns, each told a thread number below the count asked.
TEST(TaskQueue, RunsEveryTaskOnceBeforeFinishReturns) {
    for (unsigned threads : {1u, 2u, 4u}) {
        SCOPED_TRACE(threads);
        std::vector<std::atomic<int>> ran(300);
        std::atomic<bool> numbered{true}, offCaller{false};
        const auto caller = std::this_thread::get_id();
        kv::TaskQueue queue(threads);
        auto task = [&](std::size_t i) {
            return [&, i](unsigned t) {
                if (t >= threads) numbered = false;
                if (std::this_thread::get_id() != caller) offCaller = true;
                ++ran[i];
            };
        };
        for (std::size_t i = 0; i < 200; ++i) {
            if (i < 100) {
                queue.push(task(i));
            } else {
                queue.push([&, i](unsigned t) {
                    task(i)(t);
                    queue.push(task(i + 100));
                });
            }
        }
        queue.finish();
        EXPECT_EQ(std::count(ran.begin(), ran.end(), 1), 300);
        EXPECT_TRUE(numbered);
        if (threads == 1) EXPECT_FALSE(offCaller);
    }
}

TEST(TaskQueue, FinishCarriesTheFirstFailure) {
    std::atomic<int> ran{0};
    kv::TaskQueue queue(3);
    for (int i = 0; i < 20; ++i)
        queue.push([&, i](unsigned) {
            ++ran;
            if (i == 5) throw std::runtime_error("task 5");
        });
    EXPECT_THROW(queue.finish(), std::runtime_error);
    EXPECT_EQ(ran.load(), 20);
    queue.finish();  // once told, the failure is not told again
}

}  // namespace
