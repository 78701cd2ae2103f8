#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A fixed set of threads that run the jobs handed to them in the order they were handed over. The run
// keeps its frames' threads busy with it: a thread that finishes a short frame takes the next one at once
// instead of waiting until the older frames have been written.
class WorkerPool {
public:
    // Starts up to `threads` threads; fewer when the system refuses more (none at all is possible).
    explicit WorkerPool(int threads);
    // Runs every job still queued, then joins the threads.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int threadCount() const { return static_cast<int>(threads.size()); }
    // Queues job; false (and nothing queued) when the pool has no thread to run it.
    bool submit(std::function<void()> job);

private:
    void work();

    std::vector<std::thread> threads;
    std::deque<std::function<void()>> queue;
    std::mutex mutex;
    std::condition_variable wake;
    bool closing = false;
};
