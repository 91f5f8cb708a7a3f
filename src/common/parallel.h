// Work spread over a few threads. Every step that runs work side by side does
// it through here: the threads start as the step's threads (kv::stepThread),
// so that the files they find unreadable go into the step's notes, and a
// system that cannot give a thread leaves the work to the calling thread.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kv {

// Runs work(i, worker) for every index i from 0 to count - 1 on up to
// `workers` threads, which take the indexes in ascending order; `worker`
// (0 to workers - 1) lets each thread keep its own buffers. The calling
// thread calls commit(i) for each index in ascending order, as soon as work(i)
// and every commit before it are done (no commit: it waits for the work).
// With `ahead` > 0 (and a commit) no index is started before the one `ahead`
// places before it was committed, so that index i may use slot i % ahead of a ring.
//
// With one worker or one index, or when no thread can be started, the calling
// thread does it all: work(0, 0), commit(0), work(1, 0), commit(1), ...
//
// An exception thrown by work(i) reaches the caller in place of commit(i),
// once the commits before it are made; one thrown by commit(i) reaches it as
// it is. Either way no further index is started and the threads are joined
// before the exception leaves.
void orderedForEach(std::size_t count, unsigned workers,
                    const std::function<void(std::size_t index, unsigned worker)>& work,
                    const std::function<void(std::size_t index)>& commit = {}, std::size_t ahead = 0);

// Starts threads 0 to n - 1 running body(t), each as a thread of the calling
// thread's step; fewer (none at all) when the system has no more to give.
std::vector<std::thread> startWorkers(unsigned n, const std::function<void(unsigned)>& body);

// Tasks handed out while the caller goes on with its own work (it pushes a
// task as soon as what the task needs is ready): up to `threads` - 1 started
// threads take them in the order pushed, and finish() has the calling thread
// take them too until every task is done. Tasks may push further tasks.
// task(t) gets the number of the thread running it (0: the caller, else
// below `threads`), for buffers of its own. The first exception a task throws
// reaches the caller from finish(), once every task is done.
class TaskQueue {
public:
    using Task = std::function<void(unsigned thread)>;

    explicit TaskQueue(unsigned threads);
    ~TaskQueue();  // finish(), its exception dropped
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    void push(Task task);
    void finish();

private:
    void work(unsigned thread, bool worker);

    std::mutex mu_;
    std::condition_variable queued_, idle_;
    std::deque<Task> queue_;
    std::size_t running_ = 0;
    bool closing_ = false;
    std::exception_ptr error_;
    std::vector<std::thread> workers_;  // last: started once the rest is in place
};

}  // namespace kv
