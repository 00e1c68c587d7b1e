// One video's playable copy, made in the wall beside its place and renamed into it.
#include "engine/decode/PhotoWork.h"

#include "engine/base/MachineCheck.h"
#include "engine/decode/VideoCopy.h"
#include "engine/wall/WallGuard.h"

#include <sys/stat.h>

#include <system_error>

namespace fs = std::filesystem;

namespace {

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

} // namespace

PhotoOutcome copyVideo(const PhotoWork& work, std::string_view rel, const CopySource& source,
                       const std::function<bool()>& keepGoing)
{
    const auto failed = [&work](WhyUnreadable why, std::string message = {}) {
        MachineCheck::afterFailure(work.wall.out);
        return PhotoOutcome::unreadable(why, std::move(message));
    };
    const fs::path from = (source.inWall ? work.wall.out : work.root) / fs::path(source.name);
    const fs::path final = work.wall.out / WallPaths::videoCopyName(WallPaths::key(rel));
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
    VideoCopy::Outcome copied = VideoCopy::make(from, temp, keepGoing);
    const VideoCopy::Made made = copied.made;
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
        return failed(made == VideoCopy::Made::unwritable ? WhyUnreadable::notSaved : WhyUnreadable::damaged,
                      std::move(copied.message));
    }
    // rename() replaces atomically: the copy is seen under its name only when whole.
    fs::rename(temp, final, ec);
    if (ec) {
        discard();
        return failed(WhyUnreadable::notSaved);
    }
    return {PhotoEnd::done, WhyUnreadable::damaged, std::nullopt};
}
