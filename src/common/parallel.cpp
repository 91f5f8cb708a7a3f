// Work spread over a few threads.
#include "common/parallel.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <utility>

#include "common/fsys.h"

namespace kv {

std::vector<std::thread> startWorkers(unsigned n, const std::function<void(unsigned)>& body) {
    std::vector<std::thread> threads;
    threads.reserve(n);
    try {
        for (unsigned t = 0; t < n; ++t) threads.push_back(stepThread([body, t] { body(t); }));
    } catch (const std::system_error&) {
        // no more threads to be had: the ones there do the work
    }
    return threads;
}

namespace {

void inTurn(std::size_t count, const std::function<void(std::size_t, unsigned)>& work,
            const std::function<void(std::size_t)>& commit) {
    for (std::size_t i = 0; i < count; ++i) {
        work(i, 0);
        if (commit) commit(i);
    }
}

// What the workers and the committing thread share.
class Shared {
public:
    Shared(std::size_t count, std::size_t ahead) : count_(count), ahead_(ahead), done_(count, 0), errors_(count) {}

    // The next index for a worker; false when there is none left (or the work stopped).
    bool take(std::size_t& i) {
        std::unique_lock<std::mutex> lock(mu_);
        if (ahead_) workerCv_.wait(lock, [&] { return stop_ || next_ >= count_ || next_ < committed_ + ahead_; });
        if (stop_ || next_ >= count_) return false;
        i = next_++;
        return true;
    }
    void finished(std::size_t i, std::exception_ptr error) {
        bool wake;
        {
            std::lock_guard<std::mutex> lock(mu_);
            done_[i] = 1;
            if (error) {
                errors_[i] = std::move(error);
                stop_ = true;  // nothing is started after a failure
            }
            wake = i == awaited_;
        }
        if (wake) callerCv_.notify_one();  // only the index the caller waits for
    }
    // Waits for index i; its exception, when it threw.
    std::exception_ptr await(std::size_t i) {
        std::unique_lock<std::mutex> lock(mu_);
        if (!done_[i]) {
            awaited_ = i;
            callerCv_.wait(lock, [&] { return done_[i] != 0; });
        }
        return errors_[i];
    }
    void committed(std::size_t i) {
        if (!ahead_) return;
        {
            std::lock_guard<std::mutex> lock(mu_);
            committed_ = i + 1;
        }
        workerCv_.notify_all();
    }
    void stop() {
        {
            std::lock_guard<std::mutex> lock(mu_);
            stop_ = true;
        }
        workerCv_.notify_all();
    }
    // Once the workers are joined: the first exception in index order.
    std::exception_ptr firstError() const {
        for (const auto& e : errors_)
            if (e) return e;
        return nullptr;
    }

private:
    std::mutex mu_;
    std::condition_variable workerCv_, callerCv_;
    const std::size_t count_, ahead_;
    std::size_t next_ = 0, committed_ = 0;
    std::size_t awaited_ = static_cast<std::size_t>(-1);
    bool stop_ = false;
    std::vector<char> done_;
    std::vector<std::exception_ptr> errors_;
};

}  // namespace

void orderedForEach(std::size_t count, unsigned workers, const std::function<void(std::size_t, unsigned)>& work,
                    const std::function<void(std::size_t)>& commit, std::size_t ahead) {
    if (count == 0) return;
    const auto n = static_cast<unsigned>(std::min<std::size_t>(workers, count));
    if (n <= 1) return inTurn(count, work, commit);

    Shared shared(count, commit ? ahead : 0);  // without commits nothing would open the window
    std::vector<std::thread> threads = startWorkers(n, [&](unsigned w) {
        for (std::size_t i; shared.take(i);) {
            std::exception_ptr error;
            try {
                work(i, w);
            } catch (...) {
                error = std::current_exception();
            }
            shared.finished(i, std::move(error));
        }
    });
    if (threads.empty()) return inTurn(count, work, commit);
    // The workers are joined whatever ends the commits.
    struct Join {
        Shared& shared;
        std::vector<std::thread>& threads;
        ~Join() {
            shared.stop();
            for (auto& t : threads) t.join();
        }
    };
    if (!commit) {
        for (auto& t : threads) t.join();
        if (auto error = shared.firstError()) std::rethrow_exception(error);
        return;
    }
    Join join{shared, threads};
    for (std::size_t i = 0; i < count; ++i) {
        if (auto error = shared.await(i)) std::rethrow_exception(error);
        commit(i);
        shared.committed(i);
    }
}

TaskQueue::TaskQueue(unsigned threads) {
    if (threads > 1) workers_ = startWorkers(threads - 1, [this](unsigned t) { work(t + 1, true); });
}

TaskQueue::~TaskQueue() {
    try {
        finish();
    } catch (...) {  // a task's failure nobody asked for
    }
}

void TaskQueue::push(Task task) {
    {
        std::lock_guard<std::mutex> lock(mu_);
        queue_.push_back(std::move(task));
    }
    queued_.notify_one();
    idle_.notify_all();
}

void TaskQueue::finish() {
    work(0, false);
    {
        std::lock_guard<std::mutex> lock(mu_);
        closing_ = true;
    }
    queued_.notify_all();
    for (auto& t : workers_)
        if (t.joinable()) t.join();
    std::exception_ptr error;
    {
        std::lock_guard<std::mutex> lock(mu_);
        error = std::exchange(error_, nullptr);
    }
    if (error) std::rethrow_exception(error);
}

// Runs queued tasks; a started thread waits for more until the queue closes,
// the calling thread returns once nothing is queued or running.
void TaskQueue::work(unsigned thread, bool worker) {
    std::unique_lock<std::mutex> lock(mu_);
    for (;;) {
        if (!queue_.empty()) {
            Task task = std::move(queue_.front());
            queue_.pop_front();
            ++running_;
            lock.unlock();
            std::exception_ptr error;
            try {
                task(thread);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            if (error && !error_) error_ = std::move(error);
            --running_;
            if (running_ == 0 && queue_.empty()) idle_.notify_all();
            continue;
        }
        if (worker) {
            if (closing_) return;
            queued_.wait(lock);
        } else {
            if (running_ == 0) return;
            idle_.wait(lock, [this] { return !queue_.empty() || running_ == 0; });
        }
    }
}

}  // namespace kv
