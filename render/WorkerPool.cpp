#include "render/WorkerPool.h"

#include <system_error>

WorkerPool::WorkerPool(int count) {
    threads.reserve(count > 0 ? static_cast<size_t>(count) : 0u);
    for (int i = 0; i < count; ++i) {
        try {
            threads.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break; // the threads started so far will do
        }
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        closing = true;
    }
    wake.notify_all();
    for (auto& t : threads) t.join();
}

bool WorkerPool::submit(std::function<void()> job) {
    if (threads.empty()) return false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        queue.push_back(std::move(job));
    }
    wake.notify_one();
    return true;
}

void WorkerPool::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [this] { return closing || !queue.empty(); });
            if (queue.empty()) return; // closing, and nothing left to run
            job = std::move(queue.front());
            queue.pop_front();
        }
        job();
    }
}
