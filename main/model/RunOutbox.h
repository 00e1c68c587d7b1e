// How a run's thread reaches the model that started it.
#pragma once

#include <functional>
#include <mutex>

class Model;

/// Posts calls to the model's thread, in the order they are posted. Shared between the model
/// and its runs, so that a run that outlives its model posts into nothing instead of into
/// freed memory.
class RunOutbox {
public:
    explicit RunOutbox(Model* model) : model(model) {}

    /// Queues call(model) on the model's thread; returns at once. Any thread. Takes `lock`
    /// only while queueing, never while the call runs.
    void post(std::function<void(Model&)> call);
    /// Called by the model as it is destroyed; later posts are dropped.
    void detach();

private:
    std::mutex lock; ///< guards model
    Model* model;
};
