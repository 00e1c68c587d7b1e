// Queued posting from a run's thread to the model.
#include "model/RunOutbox.h"

#include "model/Model.h"

#include <QMetaObject>

void RunOutbox::post(std::function<void(Model&)> call)
{
    std::lock_guard guard(lock);
    if (!model)
        return;
    Model* target = model;
    // Queued events to one object are delivered in the order they were posted; Qt discards
    // those still waiting if the model is deleted.
    QMetaObject::invokeMethod(
        target, [target, call = std::move(call)] { call(*target); }, Qt::QueuedConnection);
}

void RunOutbox::detach()
{
    std::lock_guard guard(lock);
    model = nullptr;
}
