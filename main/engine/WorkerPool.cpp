// The worker pool.
#include "engine/internal/WorkerPool.h"

WorkerPool::WorkerPool(int count)
{
    threads.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i)
        threads.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard guard(mutex);
        queue.clear();
        stopping = true;
    }
    wake.notify_all();
    for (auto& thread : threads)
        thread.join();
}

void WorkerPool::add(std::function<void()> task)
{
    if (threads.empty()) {
        task();
        return;
    }
    {
        std::lock_guard guard(mutex);
        queue.push_back(std::move(task));
    }
    wake.notify_one();
}

void WorkerPool::cancelPending()
{
    std::lock_guard guard(mutex);
    queue.clear();
    if (running == 0)
        idle.notify_all();
}

std::size_t WorkerPool::count() const
{
    std::lock_guard guard(mutex);
    return queue.size() + running;
}

void WorkerPool::wait()
{
    std::unique_lock guard(mutex);
    idle.wait(guard, [this] { return queue.empty() && running == 0; });
}

void WorkerPool::work()
{
    std::unique_lock guard(mutex);
    while (true) {
        wake.wait(guard, [this] { return stopping || !queue.empty(); });
        if (queue.empty())
            return; // stopping
        auto task = std::move(queue.front());
        queue.pop_front();
        ++running;
        guard.unlock();
        task();
        task = nullptr; // release what the task captured before the count drops
        guard.lock();
        --running;
        if (running == 0 && queue.empty())
            idle.notify_all();
    }
}
