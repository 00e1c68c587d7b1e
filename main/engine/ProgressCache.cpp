// The progress cache: loading, saving, the reuse test and pruning.
#include "engine/Indexer.h"

#include "engine/AtomicFile.h"
#include "engine/CacheFormat.h"


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

namespace {

/// The entry's record when it matches the entry's size and time.
const CacheRecord* matchingRecord(const FileEntry& entry, const CacheMap& map)
{
    const auto it = map.find(entry.rel);
    if (it == map.end())
        return nullptr;
    const CacheRecord& record = it->second;
    if (record.size() < Record::count)
        return nullptr;
    const std::string* key = Record::textAt(record, Record::key);
    const std::int64_t* mtime = Record::intAt(record, Record::mtime);
    const std::int64_t* size = Record::intAt(record, Record::size);
    if (!key || !mtime || *mtime != entry.mtime || !size || *size != entry.size)
        return nullptr;
    return &record;
}

} // namespace

bool Indexer::canReuse(const FileEntry& entry, const CacheMap& map, ThumbIndex& thumbs)
{
    const CacheRecord* record = matchingRecord(entry, map);
    return record && thumbs.has(*Record::textAt(*record, Record::key));
}

bool Indexer::canReuse(const FileEntry& entry, const CacheMap& map, ThumbIndex& thumbs, ThumbIndex& previews,
                       bool fillPreviews)
{
    const CacheRecord* record = matchingRecord(entry, map);
    if (!record)
        return false;
    const std::string& key = *Record::textAt(*record, Record::key);
    if (!thumbs.has(key))
        return false;
    const Record::Media media = Record::mediaOf(*record);
    if ((media.flags & Record::hasPreview) && !previews.has(key))
        return false;
    // A still whose clip came or went, or was renamed, is looked at again (its header only).
    if (entry.motion != ((media.flags & Record::isLive) ? media.motion : std::string()))
        return false;
    if (fillPreviews && !(media.flags & Record::hasPreview) && (wantsPreview(entry.rel) || isVideo(entry.rel)))
        return false;
    return true;
}

void Indexer::prune(CacheMap& map, const std::vector<FileEntry>& entries)
{
    std::unordered_set<std::string_view> keep;
    keep.reserve(entries.size());
    for (const FileEntry& entry : entries)
        keep.insert(entry.rel);
    std::erase_if(map, [&](const auto& item) { return !keep.contains(item.first); });
}
