// The frame threads of a run: jobs start in the order they were handed over, run side by side, and none is
// lost when the pool goes.

#include "render/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

TEST(WorkerPool, OneThreadRunsTheJobsInOrderAndTheLastOnesBeforeItGoes) {
    std::vector<int> order;
    // The first job holds the thread until all the others are queued, so that they are still waiting when
    // the pool is destroyed. (Declared before the pool: they must outlive its jobs.)
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    {
        WorkerPool pool(1);
        ASSERT_EQ(pool.threadCount(), 1);
        ASSERT_TRUE(pool.submit([&] {
            std::unique_lock<std::mutex> lock(m);
            cv.wait(lock, [&] { return release; });
            order.push_back(0);
        }));
        for (int i = 1; i < 50; ++i) ASSERT_TRUE(pool.submit([&order, i] { order.push_back(i); }));
        {
            std::lock_guard<std::mutex> lock(m);
            release = true;
        }
        cv.notify_all();
    }
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(order[static_cast<size_t>(i)], i);
}

TEST(WorkerPool, SeveralThreadsRunJobsAtTheSameTime) {
    // Each job waits until all three have started: only three threads running at once get past it.
    std::mutex m;
    std::condition_variable cv;
    int started = 0;
    std::atomic<int> metTheOthers{0};
    {
        WorkerPool pool(3);
        ASSERT_EQ(pool.threadCount(), 3);
        for (int i = 0; i < 3; ++i)
            pool.submit([&] {
                std::unique_lock<std::mutex> lock(m);
                ++started;
                cv.notify_all();
                if (cv.wait_for(lock, std::chrono::seconds(20), [&] { return started == 3; })) ++metTheOthers;
            });
    } // the pool waits for its jobs
    EXPECT_EQ(metTheOthers.load(), 3);
}

TEST(WorkerPool, APoolWithoutThreadsRefusesJobs) {
    WorkerPool pool(0);
    EXPECT_EQ(pool.threadCount(), 0);
    bool ran = false;
    EXPECT_FALSE(pool.submit([&] { ran = true; }));
    EXPECT_FALSE(ran);
}
