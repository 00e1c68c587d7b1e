// The job's settings, its stop flag, and what its parts need of it.
#include "engine/run/Indexer.h"

#include "engine/decode/Processors.h"
#include "engine/wall/WallOutput.h"

namespace fs = std::filesystem;

Indexer::Indexer(fs::path root_, fs::path out_, std::string title_, bool dedupe_, UpdateHandler onUpdate_)
    : root(std::move(root_)), out(std::move(out_)), wall{out}, title(std::move(title_)), shouldDedupe(dedupe_),
      jobs(Processors::jobsFor(Processors::available())), onUpdate(std::move(onUpdate_))
{
}

bool Indexer::cancelled() const
{
    std::lock_guard guard(lock);
    return _cancelled;
}

void Indexer::cancel()
{
    std::lock_guard guard(lock);
    _cancelled = true;
}

PhotoWork Indexer::photoWork() const
{
    return {root, wall, fillPreviews, portable.value_or(false)};
}

WalkSettings Indexer::walkSettings() const
{
    WalkSettings settings{root, out, [this] { return cancelled(); }, nullptr, stallLimit, stopLimit};
    if (onUpdate)
        settings.onFound = [this](std::int64_t found) { onUpdate(JobUpdates::Scanning{found}); };
    return settings;
}

WallTarget Indexer::wallTarget() const
{
    return {wall, root, title, templateFile};
}
