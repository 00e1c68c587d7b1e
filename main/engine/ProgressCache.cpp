// The progress cache: loading, saving, the reuse test and pruning.
#include "engine/Indexer.h"

#include "engine/internal/AtomicFile.h"
#include "engine/internal/CacheFormat.h"
#include "engine/internal/ProgressCache.h"

#include <unordered_set>

std::optional<CacheMap> Indexer::readCache() const
{
    const auto text = AtomicFile::read(cacheURL());
    if (!text)
        return std::nullopt;
    return CacheFormat::parse(*text);
}

CacheMap Indexer::loadCache() const
{
    auto map = readCache();
    return map ? std::move(*map) : CacheMap{};
}

void Indexer::saveCache(const CacheMap& map) const
{
    // Best effort: the next save tries again with the whole map.
    (void)AtomicFile::write(cacheURL(), CacheFormat::serialize(map));
}

namespace ProgressCache {

bool canReuse(const FileEntry& entry, const CacheMap& map, ThumbIndex& thumbs)
{
    const auto it = map.find(entry.rel);
    if (it == map.end())
        return false;
    const CacheRecord& record = it->second;
    if (record.size() < Record::count)
        return false;
    const std::string* key = Record::textAt(record, Record::key);
    const std::int64_t* mtime = Record::intAt(record, Record::mtime);
    const std::int64_t* size = Record::intAt(record, Record::size);
    if (!key || !mtime || *mtime != entry.mtime || !size || *size != entry.size)
        return false;
    return thumbs.has(*key);
}

void prune(CacheMap& map, const std::vector<FileEntry>& entries)
{
    std::unordered_set<std::string_view> keep;
    keep.reserve(entries.size());
    for (const FileEntry& entry : entries)
        keep.insert(entry.rel);
    std::erase_if(map, [&](const auto& item) { return !keep.contains(item.first); });
}

} // namespace ProgressCache
