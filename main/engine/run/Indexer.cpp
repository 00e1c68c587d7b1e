// The job's settings, stop flag and locations.
#include "engine/run/Indexer.h"

#include "engine/decode/Processors.h"
#include "engine/wall/WallFiles.h"

namespace fs = std::filesystem;

Indexer::Indexer(fs::path root_, fs::path out_, std::string title_, bool dedupe_, UpdateHandler onUpdate_)
    : root(std::move(root_)), out(std::move(out_)), title(std::move(title_)), shouldDedupe(dedupe_),
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

fs::path Indexer::thumbDir() const
{
    return out / WallFiles::thumbs;
}

fs::path Indexer::cacheURL() const
{
    return out / WallFiles::cache;
}

fs::path Indexer::galleryFile() const
{
    return out / WallFiles::page;
}

fs::path Indexer::manifestFile() const
{
    return out / WallFiles::manifest;
}

fs::path Indexer::stateFile() const
{
    return out / WallFiles::state;
}

fs::path Indexer::wallIndexFile() const
{
    return out / WallFiles::wallIndex;
}

fs::path Indexer::dataDir() const
{
    return out / WallFiles::data;
}

fs::path Indexer::fullDir() const
{
    return out / WallFiles::full;
}

fs::path Indexer::settingsFile() const
{
    return out / WallFiles::settings;
}

fs::path Indexer::journalFile() const
{
    return out / WallFiles::journal;
}

fs::path Indexer::lockFile() const
{
    return out / WallFiles::lock;
}

fs::path Indexer::previewDir() const
{
    return out / WallFiles::previews;
}

fs::path Indexer::motionDir() const
{
    return out / WallFiles::motion;
}

fs::path Indexer::videoCopyDir() const
{
    return out / WallFiles::videos;
}
