// The worker pool.
#include "engine/run/WorkerPool.h"

WorkerPool::WorkerPool(int count)
{
    threads.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i)
        threads.emplace_back([state = state] { work(state); });
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard guard(state->mutex);
        state->queue.clear();
        state->stopping = true;
    }
    state->wake.notify_all();
    for (auto& thread : threads) {
        if (thread.joinable())
            thread.join();
    }
}

void WorkerPool::add(std::function<void()> task)
{
    if (threads.empty()) {
        task();
        return;
    }
    {
        std::lock_guard guard(state->mutex);
        state->queue.push_back(std::move(task));
    }
    state->wake.notify_one();
}

void WorkerPool::cancelPending()
{
    std::lock_guard guard(state->mutex);
    state->queue.clear();
    if (state->running == 0)
        state->idle.notify_all();
}

std::size_t WorkerPool::count() const
{
    std::lock_guard guard(state->mutex);
    return state->queue.size() + state->running;
}

void WorkerPool::wait()
{
    std::unique_lock guard(state->mutex);
    state->idle.wait(guard, [this] { return state->queue.empty() && state->running == 0; });
}

void WorkerPool::abandon()
{
    {
        std::lock_guard guard(state->mutex);
        state->queue.clear();
        state->stopping = true;
    }
    state->wake.notify_all();
    for (auto& thread : threads)
        thread.detach();
}

void WorkerPool::work(const std::shared_ptr<State>& state)
{
    std::unique_lock guard(state->mutex);
    while (true) {
        state->wake.wait(guard, [&] { return state->stopping || !state->queue.empty(); });
        if (state->queue.empty())
            return; // stopping
        auto task = std::move(state->queue.front());
        state->queue.pop_front();
        ++state->running;
        guard.unlock();
        task();
        task = nullptr; // release what the task captured before the count drops
        guard.lock();
        --state->running;
        if (state->running == 0 && state->queue.empty())
            state->idle.notify_all();
    }
}
