// One video's playable copy, made in the wall beside its place and renamed into it.
#include "engine/decode/PhotoWork.h"

#include "engine/base/MachineCheck.h"
#include "engine/base/FileState.h"
#include "engine/decode/VideoCopy.h"
#include "engine/wall/WallGuard.h"

#include <system_error>

namespace fs = std::filesystem;

PhotoOutcome copyVideo(const PhotoWork& work, std::string_view rel, const CopySource& source,
                       const std::function<bool()>& keepGoing)
{
    const auto failed = [&work](WhyUnreadable why, std::string message = {}) {
        MachineCheck::afterFailure(work.wall.out);
        return PhotoOutcome::unreadable(why, std::move(message));
    };
    const fs::path from = (source.inWall ? work.wall.out : work.root) / fs::path(source.name);
    const fs::path final = work.wall.out / WallPaths::videoCopyName(WallPaths::key(rel));
    const auto before = FileState::of(from);
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
    if (FileState::of(from) != before) {
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
