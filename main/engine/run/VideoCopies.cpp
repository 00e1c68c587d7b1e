// The playable copies of videos: which a run makes, and making one of them in the wall.
#include "engine/run/VideoCopies.h"

#include "engine/base/MachineCheck.h"
#include "engine/decode/VideoCopy.h"
#include "engine/wall/WallFiles.h"
#include "engine/wall/WallGuard.h"

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

/// What says the source is still the file that was read: identity, size and both times.
struct SourceState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    static std::optional<SourceState> of(const fs::path& file)
    {
        struct stat st{};
        if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return std::nullopt;
        return SourceState{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    bool operator==(const SourceState& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec
               && modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec
               && changed.tv_nsec == o.changed.tv_nsec;
    }
};

/// The record with other media, every other position as it was.
CacheRecord withMedia(const CacheRecord& record, Record::Media media)
{
    return Record::keepingDetails(
        Record::make(std::string(Record::textOrEmpty(record, Record::key)), Record::intOrZero(record, Record::width),
                     Record::intOrZero(record, Record::height), std::string(Record::textOrEmpty(record, Record::date)),
                     Record::intOrZero(record, Record::mtime), Record::intOrZero(record, Record::size), std::move(media),
                     Record::stampOf(record).value_or(Record::FileStamp{})),
        record);
}

} // namespace

std::string Indexer::videoCopyName(std::string_view key)
{
    return WallFiles::photoFileName(WallFiles::videos, key, ".mp4");
}

PhotoOutcome Indexer::copyVideo(std::string_view rel, const CopySource& source,
                                const std::function<bool()>& keepGoing) const
{
    const auto failed = [this](WhyUnreadable why) {
        MachineCheck::afterFailure(out);
        return PhotoOutcome::unreadable(why);
    };
    const fs::path from = (source.inWall ? out : root) / fs::path(source.name);
    const fs::path final = out / videoCopyName(key(rel));
    const auto before = SourceState::of(from);
    if (!before)
        return PhotoOutcome::changed();
    std::error_code ec;
    fs::create_directories(final.parent_path(), ec); // a failure shows in the write
    // A link planted for the folder would take the copy outside the wall.
    if (fs::is_symlink(final.parent_path(), ec))
        return failed(WhyUnreadable::notSaved);
    const fs::path temp = WallGuard::thumbnailTemporary(final);
    fs::remove(temp, ec);
    const VideoCopy::Made made = VideoCopy::make(from, temp, keepGoing);
    const auto discard = [&] { fs::remove(temp, ec); };
    if (made == VideoCopy::Made::stopped) {
        discard();
        return {PhotoEnd::stopped, WhyUnreadable::damaged, std::nullopt};
    }
    if (SourceState::of(from) != before) {
        discard();
        return PhotoOutcome::changed();
    }
    if (made != VideoCopy::Made::done) {
        discard();
        return failed(made == VideoCopy::Made::unwritable ? WhyUnreadable::notSaved : WhyUnreadable::damaged);
    }
    // rename() replaces atomically: the copy is seen under its name only when whole.
    fs::rename(temp, final, ec);
    if (ec) {
        discard();
        return failed(WhyUnreadable::notSaved);
    }
    return {PhotoEnd::done, WhyUnreadable::damaged, std::nullopt};
}

namespace VideoCopies {

Plan plan(CacheMap& map, const std::vector<FileEntry>& entries, const std::vector<FileEntry>& clips, const Indexer& job,
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
        const std::string* key = Record::textAt(record, Record::key);
        Record::Media media = Record::mediaOf(record);
        const bool video = media.flags & Record::isVideo;
        const bool live = !video && (media.flags & Record::isLive) && !media.motion.empty();
        if (!key || (!video && !live)) {
            continue;
        }
        Work work;
        work.entry = entry;
        work.durationMs = media.durationMs;
        if (video) {
            work.source = {entry.rel, false};
            work.sourceMtime = entry.mtime;
        } else if (media.flags & Record::clipInWall) {
            work.source = {media.motion, true};
            const auto clipTime = modifiedAt(job.out / media.motion);
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
        const auto copyTime = modifiedAt(job.out / Indexer::videoCopyName(*key));
        const bool stands = copyTime && *copyTime >= work.sourceMtime && !changed.contains(entry.rel);
        const bool wanted = !VideoCopy::browserPlays(work.source.name, media.codec)
                            && (live || everyVideo || (media.durationMs > 0 && media.durationMs < shortVideoMs));
        const bool flagged = media.flags & Record::playableCopy;
        if (stands != flagged) {
            media.flags ^= Record::playableCopy;
            record = withMedia(record, media);
            ++plan.adjusted;
            if (stands)
                plan.found.push_back(entry.rel);
        }
        if (stands || !wanted)
            continue;
        media.flags |= Record::playableCopy;
        work.record = withMedia(record, media);
        plan.work.push_back(std::move(work));
    }
    return plan;
}

} // namespace VideoCopies
