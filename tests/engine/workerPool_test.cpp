// The worker pool: order, dropping what has not started, tasks that add tasks, the inline twin,
// and letting go of a task that never returns. Threads are ordered by latches, never by sleeps.
#include "engine/run/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <memory>
#include <mutex>
#include <vector>

namespace {

/// A record of the order tasks ran in, safe from several threads.
struct Order {
    std::mutex mutex;
    std::vector<int> ran;
    void add(int i)
    {
        std::lock_guard guard(mutex);
        ran.push_back(i);
    }
};

} // namespace

TEST(WorkerPool, OneThreadRunsTasksInTheOrderTheyWereAdded)
{
    Order order;
    WorkerPool pool(1);
    for (int i = 0; i < 50; ++i)
        pool.add([&order, i] { order.add(i); });
    pool.wait();
    std::vector<int> expected(50);
    for (int i = 0; i < 50; ++i)
        expected[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(order.ran, expected);
    EXPECT_EQ(pool.count(), 0u);
}

TEST(WorkerPool, CancelPendingDropsWhatHasNotStartedAndLetsTheRunningTaskFinish)
{
    Order order;
    std::latch started(1);
    std::latch release(1);
    WorkerPool pool(1);
    pool.add([&] {
        started.count_down();
        release.wait();
        order.add(0);
    });
    for (int i = 1; i <= 5; ++i)
        pool.add([&order, i] { order.add(i); });
    started.wait();
    EXPECT_EQ(pool.count(), 6u) << "one running and five queued";
    pool.cancelPending();
    EXPECT_EQ(pool.count(), 1u) << "only the running task is left";
    release.count_down();
    pool.wait();
    EXPECT_EQ(order.ran, std::vector<int>{0});
}

TEST(WorkerPool, ATaskMayAddTasks)
{
    Order order;
    WorkerPool pool(2);
    pool.add([&] {
        order.add(1);
        pool.add([&] {
            order.add(2);
            pool.add([&] { order.add(3); });
        });
    });
    // wait() returns only when the queue is empty and nothing runs, so the tasks added from
    // tasks are waited for too (each is queued before its parent's count drops).
    pool.wait();
    EXPECT_EQ(order.ran, (std::vector<int>{1, 2, 3}));
}

TEST(WorkerPool, TheInlineTwinRunsEachTaskAtOnceOnTheCallersThread)
{
    Order order;
    WorkerPool pool(0);
    const auto caller = std::this_thread::get_id();
    bool sameThread = true;
    for (int i = 0; i < 3; ++i) {
        pool.add([&, i] {
            sameThread = sameThread && std::this_thread::get_id() == caller;
            order.add(i);
        });
        EXPECT_EQ(order.ran.size(), static_cast<std::size_t>(i + 1)) << "task " << i << " ran before add() returned";
    }
    EXPECT_TRUE(sameThread);
    EXPECT_EQ(pool.count(), 0u);
    pool.wait(); // returns at once
}

TEST(WorkerPool, AnAbandonedPoolDoesNotWaitForAStuckTaskWhichComesBackToWhatItShares)
{
    auto release = std::make_shared<std::latch>(1);
    auto started = std::make_shared<std::latch>(1);
    auto cameBack = std::make_shared<std::latch>(1);
    auto ranAfter = std::make_shared<std::atomic<bool>>(false);
    {
        WorkerPool pool(1);
        pool.add([release, started, cameBack] {
            started->count_down();
            release->wait();
            cameBack->count_down();
        });
        pool.add([ranAfter] { *ranAfter = true; });
        started->wait();
        pool.abandon();
    } // the destructor must not wait for the stuck task
    release->count_down();
    cameBack->wait();
    EXPECT_FALSE(*ranAfter) << "a task queued behind the stuck one ran after the pool was let go";
}
