// A fixed set of worker threads with a first-in, first-out backlog.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool {
public:
    /// Starts `threads` workers. With 0 the pool is its own inline twin: add() runs the task at
    /// once on the caller's thread, which makes tests deterministic.
    explicit WorkerPool(int threads);
    /// Drops the tasks not yet started and waits for the running ones (unless abandoned).
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    /// Queues a task; tasks start in the order they were added. Takes the pool's mutex briefly.
    /// Calling add() from a task is allowed; calling wait() from a task would deadlock.
    void add(std::function<void()> task);
    /// Drops every task that has not started; running tasks finish. Never blocks on a task.
    void cancelPending();
    /// Tasks queued plus tasks running.
    std::size_t count() const;
    /// Blocks until no task is queued or running.
    void wait();
    /// Drops the tasks not yet started and lets the threads go without waiting for them: a task
    /// stuck for ever (a read from a hung drive) must not hold its owner. Each thread ends
    /// when its task returns, if it ever does; what the threads share lives until the last one
    /// has ended. Never blocks on a task.
    void abandon();

private:
    /// What the threads share with the pool; owned jointly, so that an abandoned thread that
    /// comes back finds it still there.
    struct State {
        mutable std::mutex mutex; ///< guards queue, running and stopping
        std::condition_variable wake;  ///< a task was queued, or the pool stops
        std::condition_variable idle;  ///< count() may have reached 0
        std::deque<std::function<void()>> queue;
        std::size_t running = 0;
        bool stopping = false;
    };
    static void work(const std::shared_ptr<State>& state);

    std::shared_ptr<State> state = std::make_shared<State>();
    std::vector<std::thread> threads;
};
