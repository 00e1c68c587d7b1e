// The progress cache: loading, saving, the reuse test and pruning.
#include "engine/cache/ProgressCache.h"

#include "engine/base/AtomicFile.h"
#include "engine/cache/CacheFormat.h"
#include "engine/walk/LivePhotos.h"
#include "engine/walk/PhotoKinds.h"
#include "engine/wall/WallImages.h"

#include <algorithm>
#include <unordered_set>

std::optional<CacheMap> ProgressCache::readCache(const std::filesystem::path& cacheFile, CacheInOrder* inOrder)
{
    const auto text = AtomicFile::read(cacheFile);
    if (!text)
        return std::nullopt;
    return CacheFormat::parse(*text, inOrder);
}

CacheMap ProgressCache::loadCache(const std::filesystem::path& cacheFile)
{
    auto map = readCache(cacheFile);
    return map ? std::move(*map) : CacheMap{};
}

void ProgressCache::saveCache(const std::filesystem::path& cacheFile, const CacheMap& map)
{
    // Best effort: the next save tries again with the whole map.
    (void)AtomicFile::write(cacheFile, CacheFormat::serialize(map));
}

namespace {

/// Whether a record was made from a file of this time and size, and, where both the record and
/// the walk know them, of this status change time and inode: an edit in place that restores
/// the size and time still changes those.
bool sameFile(const FileEntry& entry, const CacheRecord& record)
{
    if (record.mtime != entry.mtime || record.size != entry.size)
        return false;
    const Record::FileStamp now{entry.ctimeNs, entry.inode};
    return !record.stamp || now == Record::FileStamp{} || *record.stamp == now;
}

/// The entry's record when it was made from a file of this time and size.
const CacheRecord* matchingRecord(const FileEntry& entry, const CacheMap& map)
{
    const auto it = map.find(entry.rel);
    if (it == map.end() || !sameFile(entry, it->second))
        return nullptr;
    return &it->second;
}

} // namespace

namespace ProgressCache {

bool canReuse(const FileEntry& entry, const CacheMap& map, ThumbIndex& thumbs)
{
    const CacheRecord* record = matchingRecord(entry, map);
    return record && thumbs.has(record->key);
}

namespace {

/// The reuse test of an entry whose record was made from the file as it is now.
bool reusable(const FileEntry& entry, const CacheRecord& record, WallIndex& wall, Wanted wanted)
{
    const std::string& key = record.key;
    if (!wall.thumbs.has(key))
        return false;
    // A record made before the metadata's details were kept: its photo's header is read again,
    // its thumbnail stays.
    if (!record.details)
        return false;
    const Record::Media& media = record.media;
    if ((media.flags & (Record::hasPreview | Record::copyInWall)) && !wall.previews.has(key))
        return false;
    if ((media.flags & Record::fullInWall) && !wall.full.has(key))
        return false;
    if ((media.flags & Record::isLive) && (media.flags & Record::clipInWall)) {
        // A motion photo whose clip was deleted from the wall, or that has a clip beside it now.
        if (!entry.motion.empty() || !wall.clips.has(key))
            return false;
    } else if (entry.motion != ((media.flags & Record::isLive) ? media.motion : std::string())) {
        // A still whose clip came or went, or was renamed, is looked at again (its header only).
        return false;
    } else if ((media.flags & Record::isLive) && !LivePhotos::isLiveClipLength(media.durationMs)) {
        // Paired by an older build that took any clip of a still's name: looked at again, its
        // clip becomes a video of its own.
        return false;
    }
    const bool large = media.flags & (Record::hasPreview | Record::copyInWall);
    if (wanted.previews && !large && (PhotoKinds::wantsPreview(entry.rel) || PhotoKinds::isVideo(entry.rel)))
        return false;
    // Which photos browsers show is told by their content when decoded; a record of any photo
    // without its large JPEG is done again, and gets a copy or a preview.
    if (wanted.copies && !large && !PhotoKinds::isVideo(entry.rel))
        return false;
    const bool largerThanPreview = std::max(record.width, record.height) >
                                   WallImages::previewSize;
    if (wanted.copies && (media.flags & Record::hasPreview) && !(media.flags & (Record::isVideo | Record::fullInWall)) &&
        largerThanPreview)
        return false;
    return true;
}

/// Gives the record the stamp the walk sees now, when it has none. Whether it changed.
bool adoptStamp(const FileEntry& entry, CacheRecord& record)
{
    const Record::FileStamp now{entry.ctimeNs, entry.inode};
    if (now == Record::FileStamp{} || record.stamp)
        return false;
    record.mtime = entry.mtime;
    record.size = entry.size;
    record.stamp = now;
    return true;
}

} // namespace

Tested test(const FileEntry& entry, CacheRecord* found, WallIndex& wall, Wanted wanted)
{
    if (!found)
        return {Verdict::redo};
    CacheRecord& record = *found;
    const std::int64_t flags = record.media.flags;
    if (!sameFile(entry, record))
        return {Verdict::redoChanged, flags};
    if (!reusable(entry, record, wall, wanted))
        return {Verdict::redo, flags};
    return {adoptStamp(entry, record) ? Verdict::reusedStampAdopted : Verdict::reused, flags};
}

WallIndex WallIndex::of(const WallPaths& wall)
{
    return {ThumbIndex(wall.thumbDir()), ThumbIndex(wall.previewDir()), ThumbIndex(wall.fullDir()),
            ThumbIndex(wall.motionDir(), ".mp4")};
}

void WallIndex::listFor(const CacheMap& map)
{
    std::int64_t flags = 0;
    for (const auto& item : map)
        flags |= item.second.media.flags;
    thumbs.listAll();
    if (flags & (Record::hasPreview | Record::copyInWall))
        previews.listAll();
    if (flags & Record::fullInWall)
        full.listAll();
    if ((flags & Record::isLive) && (flags & Record::clipInWall))
        clips.listAll();
}

bool holdsRecordOf(const FileEntry& entry, const CacheMap& map)
{
    return matchingRecord(entry, map) != nullptr;
}

void prune(CacheMap& map, const std::vector<FileEntry>& entries, const std::vector<std::string>& unreadableFolders)
{
    std::unordered_set<std::string_view> keep;
    keep.reserve(entries.size());
    for (const FileEntry& entry : entries)
        keep.insert(entry.rel);
    const auto inUnreadableFolder = [&](std::string_view rel) {
        for (const std::string& folder : unreadableFolders) {
            if (rel.size() > folder.size() && rel.starts_with(folder) && rel[folder.size()] == '/')
                return true;
        }
        return false;
    };
    std::erase_if(map, [&](const auto& item) { return !keep.contains(item.first) && !inUnreadableFolder(item.first); });
}

} // namespace ProgressCache
