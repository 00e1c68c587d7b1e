// The playable copies of videos: which a run makes, and which already stand.
#include "engine/run/VideoCopies.h"

#include "engine/decode/VideoCopy.h"
#include "engine/wall/WallFiles.h"

#include <sys/stat.h>

#include <system_error>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

/// The modification time of a regular file, in whole seconds; nothing when there is none.
std::optional<std::int64_t> modifiedAt(const fs::path& file)
{
    struct stat st{};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return st.st_mtim.tv_sec;
}

} // namespace

namespace VideoCopies {

Plan plan(CacheMap& map, const std::vector<FileEntry>& entries, const std::vector<FileEntry>& clips, const WallPaths& wall,
          bool everyVideo, const std::unordered_set<std::string>& changed)
{
    std::unordered_map<std::string_view, const FileEntry*> clipByRel;
    for (const FileEntry& clip : clips)
        clipByRel.emplace(clip.rel, &clip);
    Plan plan;
    for (const FileEntry& entry : entries) {
        const auto found = map.find(entry.rel);
        if (found == map.end())
            continue;
        CacheRecord& record = found->second;
        const std::string& key = record.key;
        Record::Media& media = record.media;
        const bool video = media.flags & Record::isVideo;
        const bool live = !video && (media.flags & Record::isLive) && !media.motion.empty();
        if (!video && !live)
            continue;
        Work work;
        work.entry = entry;
        work.durationMs = media.durationMs;
        if (video) {
            work.source = {entry.rel, false};
            work.sourceMtime = entry.mtime;
        } else if (media.flags & Record::clipInWall) {
            work.source = {media.motion, true};
            const auto clipTime = modifiedAt(wall.out / media.motion);
            if (!clipTime)
                continue;
            work.sourceMtime = *clipTime;
        } else {
            const auto clip = clipByRel.find(media.motion);
            if (clip == clipByRel.end())
                continue;
            work.source = {media.motion, false};
            work.sourceMtime = clip->second->mtime;
        }
        const auto copyTime = modifiedAt(wall.out / WallPaths::videoCopyName(key));
        const bool stands = copyTime && *copyTime >= work.sourceMtime && !changed.contains(entry.rel);
        const bool wanted = !VideoCopy::browserPlays(work.source.name, media.codec)
                            && (live || everyVideo || (media.durationMs > 0 && media.durationMs < shortVideoMs));
        const bool flagged = media.flags & Record::playableCopy;
        if (stands != flagged) {
            media.flags ^= Record::playableCopy;
            ++plan.adjusted;
            if (stands)
                plan.found.push_back(entry.rel);
        }
        if (stands || !wanted)
            continue;
        // The map's record gets the flag once the copy is made.
        work.record = record;
        work.record.media.flags |= Record::playableCopy;
        plan.work.push_back(std::move(work));
    }
    return plan;
}

} // namespace VideoCopies
