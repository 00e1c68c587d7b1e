// One photo's processing: its cache record and its thumbnail.
#include "engine/decode/PhotoWork.h"

#include "engine/base/JobErrors.h"
#include "engine/walk/LivePhotos.h"
#include "engine/walk/PhotoKinds.h"
#include "engine/wall/WallImages.h"
#include "engine/base/AsciiText.h"
#include "engine/decode/DecoderMessage.h"
#include "engine/decode/ExifReader.h"
#include "engine/base/FileState.h"
#include "engine/base/MachineCheck.h"
#include "engine/decode/MotionClip.h"
#include "engine/decode/RawPhoto.h"
#include "engine/decode/VideoFile.h"
#include "engine/decode/VipsPhoto.h"
#include "engine/wall/WallFiles.h"
#include "engine/wall/WallGuard.h"

#include <sys/stat.h>

#include <algorithm>

#include <cmath>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool isCameraRaw(std::string_view rel)
{
    return PhotoKinds::rawExt().contains(AsciiText::lowerExtension(rel));
}

/// What the record needs from a photo's or a video's header, and how to make its JPEGs.
struct OpenedFile {
    PixelSize stored;
    int orientation = 1;
    std::string date;
    Record::Details details;
    bool wantsPreview = false; ///< browsers cannot show the original
    Record::Media media;
    std::optional<VipsPhoto> vips;
    std::optional<RawPhoto> raw;
    std::optional<VideoFile> video;

    /// One decode for every JPEG of the targets; nothing, with the decoder's words, when the
    /// decode fails.
    Opened<JpegsWritten> writeJpegs(const JpegTargets& targets)
    {
        if (vips)
            return vips->writeJpegs(targets);
        Opened<PixelBuffer> pixels = WhyUnreadable::damaged;
        if (raw) {
            pixels = raw->decodeHalfSize();
        } else if (video) {
            const int largest = std::max(targets.preview.empty() && targets.full.empty() ? 0 : targets.previewSpec.maxSide,
                                         targets.thumbnailSpec.maxSide);
            pixels = video->posterFrame(largest);
        }
        if (!pixels)
            return {pixels.reason(), pixels.message()};
        return ::writeJpegs(*pixels, targets);
    }
};

Opened<OpenedFile> openVideo(const fs::path& file)
{
    OpenedFile opened;
    VideoRefused refused;
    opened.video = VideoFile::open(file, &refused);
    if (!opened.video) {
        // Frames beyond the decoder's memory budget, refused before one was decoded.
        if (refused.reason == VideoRefusal::tooLarge)
            return WhyUnreadable::tooLarge;
        // A photo renamed to .mp4 is not a damaged video; telling it costs a header read, and
        // only for files that failed anyway. That reason says all, FFmpeg's words on a photo
        // would not; a damaged video keeps them.
        if (VipsPhoto::open(file))
            return WhyUnreadable::notVideo;
        return {WhyUnreadable::damaged, std::move(refused.message)};
    }
    const VideoInfo& info = opened.video->info();
    opened.stored = info.displayed; // already upright
    opened.date = info.date;
    opened.details.camera = info.camera;
    opened.details.geo = info.geo;
    // The poster also goes large, for the player to show before it starts.
    opened.wantsPreview = true;
    opened.media = {Record::isVideo, info.durationMs, info.codec, {}};
    return opened;
}

Opened<OpenedFile> openPhoto(const fs::path& file, std::string_view rel)
{
    OpenedFile photo;
    if (isCameraRaw(rel)) {
        // Raw files go to LibRaw only: read as TIFF they would give the camera's small
        // embedded preview instead of the photo.
        auto raw = RawPhoto::open(file);
        if (!raw)
            return {raw.reason(), raw.message()};
        photo.raw = std::move(*raw);
        photo.stored = photo.raw->storedSize();
        photo.orientation = photo.raw->orientation();
        auto metadata = ExifReader::metadataOfFile(file);
        photo.date = std::move(metadata.date);
        photo.details = std::move(metadata.details);
        photo.wantsPreview = true;
        return photo;
    }
    auto vips = VipsPhoto::open(file);
    if (!vips)
        return {vips.reason(), vips.message()};
    photo.vips = std::move(*vips);
    photo.stored = photo.vips->storedSize();
    photo.orientation = photo.vips->orientation();
    photo.wantsPreview = !photo.vips->isBrowserFormat();
    // The decoder has already read the EXIF block, so the file is not opened a second time;
    // only a TIFF keeps its dates in its own first directory rather than in an EXIF block. The
    // same read gives the camera, the exposure and the place.
    ExifReader::PhotoMetadata metadata;
    if (!photo.vips->exif().empty())
        metadata = ExifReader::metadata(photo.vips->exif());
    else if (photo.vips->isTiff())
        metadata = ExifReader::metadataOfFile(file);
    photo.date = std::move(metadata.date);
    photo.details = std::move(metadata.details);
    return photo;
}

/// A JPEG or a clip being written: the hidden temporary file beside its final name.
struct PendingFile {
    fs::path final;
    fs::path temp;

    /// Makes the folder and clears the way; false when the folder is a planted link.
    bool prepare()
    {
        std::error_code ec;
        fs::create_directories(final.parent_path(), ec); // a failure shows in the write
        // A link planted for the folder or the temporary file would take the write outside
        // the wall: refuse the first, remove the second (the encoder follows it).
        if (fs::is_symlink(final.parent_path(), ec))
            return false;
        temp = WallGuard::thumbnailTemporary(final);
        fs::remove(temp, ec);
        return true;
    }
    void discard() const
    {
        std::error_code ec;
        if (!temp.empty())
            fs::remove(temp, ec);
    }
    /// rename() replaces an existing file atomically, so the JPEG is visible under its final
    /// name only when complete. When it fails the temporary file stays.
    bool commit() const
    {
        std::error_code ec;
        fs::rename(temp, final, ec);
        return !ec;
    }
};

/// Whether the thumbnail on disk may stand for the photo. A photo replaced under the same name
/// (a card's new IMG_0001.JPG, a rotation fixed elsewhere) must not keep the old picture: one
/// written before the photo's last change, or of a photo whose record says it changed, is made again.
bool thumbnailStands(const fs::path& thumb, const FileEntry& entry, KeepThumbnail keep)
{
    if (keep == KeepThumbnail::never)
        return false;
    struct stat st{};
    if (::stat(thumb.c_str(), &st) != 0)
        return false;
    return st.st_mtim.tv_sec >= entry.mtime;
}

} // namespace

std::optional<CacheRecord> process(const PhotoWork& work, const FileEntry& entry, KeepThumbnail keep)
{
    return processPhoto(work, entry, keep).record;
}

PhotoOutcome processPhoto(const PhotoWork& work, const FileEntry& entry, KeepThumbnail keep, PhotoExtras extras)
{
    // A failure is the photo's only when the machine can still do the work: a full disk or
    // exhausted descriptors would otherwise make every good photo "unreadable".
    const auto failed = [&work](WhyUnreadable why, std::string message = {}) {
        MachineCheck::afterFailure(work.wall.out);
        return PhotoOutcome::unreadable(why, std::move(message));
    };
    const PhotoOutcome changed = PhotoOutcome::changed();
    try {
        const fs::path file = work.root / fs::path(entry.rel);
        const std::string photoKey = WallPaths::key(entry.rel);
        // A file deleted, replaced or still being copied while it is read would give a
        // thumbnail and a record of no file that ever was: the file must be the same before
        // and after, else it is left for the next run.
        const auto before = FileState::of(file);
        if (!before)
            return changed;
        const auto unchanged = [&] { return FileState::of(file) == before; };
        auto opened = PhotoKinds::isVideo(entry.rel) ? openVideo(file) : openPhoto(file, entry.rel);
        if (!opened)
            return unchanged() ? failed(opened.reason(), opened.message()) : changed;

        const std::string date = opened->date;
        const Record::Details details = opened->details;
        Record::Media media = opened->media;
        // A motion photo carries its clip after the picture; a clip beside the still wins.
        const auto embeddedClip = entry.motion.empty() && opened->vips
                                      ? MotionClip::locate(file, ExifReader::embeddedClipLength(opened->vips->xmp()))
                                      : std::nullopt;
        // Orientations 5 to 8 turn the picture by a quarter: the record holds the size as shown.
        const bool quarterTurn = opened->orientation >= 5 && opened->orientation <= 8;
        std::int64_t width = quarterTurn ? opened->stored.height : opened->stored.width;
        std::int64_t height = quarterTurn ? opened->stored.width : opened->stored.height;

        std::error_code ec;
        // An existing thumbnail is kept as it is, which makes a resumed or updated wall cheap,
        // unless something says the photo changed since it was made; a preview likewise. A
        // preview is made only from the decode that makes the thumbnail, unless the run was
        // asked to fill in the previews of an older wall or the record had one. previews/ holds
        // a photo's preview when browsers cannot show it, else its screen-size copy: a portable
        // wall makes every missing copy, another keeps those that stand and makes none.
        PendingFile thumb{work.wall.thumbURL(photoKey), {}};
        PendingFile preview{work.wall.previewURL(photoKey), {}};
        const bool makeThumb = !thumbnailStands(thumb.final, entry, keep);
        const bool copies = work.portable;
        const bool wantsPreview = extras.previews && opened->wantsPreview;
        const bool wantsCopy = extras.previews && opened->vips && !opened->wantsPreview;
        const bool hasPreview = (wantsPreview || wantsCopy) && thumbnailStands(preview.final, entry, keep);
        const bool makePreview =
            !hasPreview && ((wantsPreview && (makeThumb || extras.remakePreview || work.fillPreviews || copies)) || (wantsCopy && copies));
        // A portable wall keeps a photo that browsers cannot show at its full size as well, for
        // the viewer to zoom into past the preview's pixels; kept as the preview is.
        PendingFile full{work.wall.fullURL(photoKey), {}};
        const bool wantsFull = wantsPreview && !opened->video &&
                               std::max(opened->stored.width, opened->stored.height) > WallImages::previewSize;
        const bool hasFull = wantsFull && thumbnailStands(full.final, entry, keep);
        const bool makeFull = wantsFull && !hasFull && copies;
        if (makeThumb || makePreview || makeFull) {
            if ((makeThumb && !thumb.prepare()) || (makePreview && !preview.prepare()) || (makeFull && !full.prepare()))
                return failed(WhyUnreadable::notSaved);
            JpegTargets targets;
            if (makeThumb)
                targets.thumbnail = thumb.temp;
            targets.thumbnailSpec = {WallImages::thumbSize, int(std::lround(WallImages::quality * 100))};
            if (makePreview)
                targets.preview = preview.temp;
            targets.previewSpec = {WallImages::previewSize, WallImages::previewQuality};
            if (makeFull)
                targets.full = full.temp;
            targets.fullQuality = WallImages::fullQuality;
            const auto made = opened->writeJpegs(targets);
            // The decoder's handles and buffers go before the file system work below.
            opened.reset();
            const bool same = unchanged();
            if (!made || !same) {
                thumb.discard();
                preview.discard();
                full.discard();
                return same ? failed(WhyUnreadable::damaged, made.message()) : changed;
            }
            if (makeThumb && (width == 0 || height == 0) && made->thumbnail) {
                width = made->thumbnail->width;
                height = made->thumbnail->height;
            }
            if ((makeFull && !full.commit()) || (makePreview && !preview.commit()) || (makeThumb && !thumb.commit())) {
                thumb.discard();
                preview.discard();
                full.discard();
                return failed(WhyUnreadable::notSaved);
            }
        } else {
            opened.reset();
            if (!unchanged())
                return changed;
        }
        if (hasPreview || makePreview)
            media.flags |= wantsPreview ? Record::hasPreview : Record::copyInWall;
        if (hasFull || makeFull)
            media.flags |= Record::fullInWall;
        if (embeddedClip) {
            // The clip is copied out into the wall, where the page plays it from; kept as the
            // thumbnail is.
            PendingFile clip{work.wall.motionURL(photoKey), {}};
            bool ready = thumbnailStands(clip.final, entry, keep);
            if (!ready && clip.prepare()) {
                ready = MotionClip::extract(file, *embeddedClip, clip.temp);
                if (ready && !unchanged()) {
                    clip.discard();
                    return changed;
                }
                ready = ready && clip.commit();
                if (!ready)
                    clip.discard();
            }
            // What cannot be played as a video stays a still.
            if (const auto video = ready ? VideoFile::open(clip.final) : std::nullopt) {
                media.flags |= Record::isLive | Record::clipInWall;
                media.durationMs = video->info().durationMs;
                media.codec = video->info().codec;
                media.motion = WallPaths::motionClipName(photoKey);
            } else if (ready) {
                fs::remove(clip.final, ec);
            }
        } else if (!entry.motion.empty() && !(media.flags & Record::isVideo)) {
            // A live photo: the motion clip's length and codec, read from its header alone. A
            // clip that does not open, or is too long for a live photo's, is a video of its own.
            const auto clip = VideoFile::open(work.root / fs::path(entry.motion));
            if (clip && LivePhotos::isLiveClipLength(clip->info().durationMs)) {
                media.flags |= Record::isLive;
                media.durationMs = clip->info().durationMs;
                media.codec = clip->info().codec;
                media.motion = entry.motion;
            }
        }
        // The size and time the walk found: a photo replaced since then no longer matches them,
        // so the next run makes it again from the file as it is by then.
        return PhotoOutcome::done(Record::withDetails(Record::make(photoKey, width, height, date, entry.mtime, entry.size,
                                                                   std::move(media), Record::FileStamp{entry.ctimeNs, entry.inode}),
                                                      details));
    } catch (const JobError&) {
        throw; // the machine's failure, found above
    } catch (const std::bad_alloc&) {
        return failed(WhyUnreadable::tooLarge);
    } catch (const std::exception& error) {
        // An image library that throws says why in its exception.
        return failed(WhyUnreadable::damaged, DecoderMessage::plain(error.what()));
    } catch (...) {
        // Whatever else failed, the photo is unreadable; the run goes on.
        return failed(WhyUnreadable::damaged);
    }
}
