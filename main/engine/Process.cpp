// One photo's processing: its cache record and its thumbnail.
#include "engine/Indexer.h"

#include "engine/Md5.h"
#include "engine/internal/AsciiText.h"
#include "engine/internal/ExifReader.h"
#include "engine/internal/RawPhoto.h"
#include "engine/internal/VipsPhoto.h"
#include "engine/internal/WallGuard.h"

#include <sys/stat.h>

#include <cmath>
#include <system_error>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

bool isCameraRaw(std::string_view rel)
{
    return Indexer::rawExt().contains(AsciiText::lowerExtension(rel));
}

/// What the record needs from a photo's header, and how to make its thumbnail.
struct OpenedPhoto {
    PixelSize stored;
    int orientation = 1;
    std::string date;
    std::optional<VipsPhoto> vips;
    std::optional<RawPhoto> raw;

    std::optional<PixelSize> writeThumbnail(const fs::path& jpeg, const ThumbnailSpec& spec)
    {
        if (vips)
            return vips->writeThumbnail(jpeg, spec);
        auto pixels = raw->decodeHalfSize();
        if (!pixels)
            return std::nullopt;
        return ::writeThumbnail(*pixels, jpeg, spec);
    }
};

std::optional<OpenedPhoto> openPhoto(const fs::path& file, std::string_view rel)
{
    OpenedPhoto photo;
    if (isCameraRaw(rel)) {
        // Raw files go to LibRaw only: read as TIFF they would give the camera's small
        // embedded preview instead of the photo.
        photo.raw = RawPhoto::open(file);
        if (!photo.raw)
            return std::nullopt;
        photo.stored = photo.raw->storedSize();
        photo.orientation = photo.raw->orientation();
        photo.date = ExifReader::captureDateOfFile(file);
        return photo;
    }
    photo.vips = VipsPhoto::open(file);
    if (!photo.vips)
        return std::nullopt;
    photo.stored = photo.vips->storedSize();
    photo.orientation = photo.vips->orientation();
    // The decoder has already read the EXIF block, so the file is not opened a second time;
    // only a TIFF keeps its dates in its own first directory rather than in an EXIF block.
    if (!photo.vips->exif().empty())
        photo.date = ExifReader::captureDate(photo.vips->exif());
    else if (photo.vips->isTiff())
        photo.date = ExifReader::captureDateOfFile(file);
    return photo;
}

/// Whether the thumbnail on disk may stand for the photo. A photo replaced under the same name
/// (a card's new IMG_0001.JPG, a rotation fixed elsewhere) must not keep the old picture: one
/// written before the photo's last change, or of a photo whose record says it changed, is made again.
bool thumbnailStands(const fs::path& thumb, const FileEntry& entry, Indexer::KeepThumbnail keep)
{
    if (keep == Indexer::KeepThumbnail::never)
        return false;
    struct stat st{};
    if (::stat(thumb.c_str(), &st) != 0)
        return false;
    return st.st_mtim.tv_sec >= entry.mtime;
}
/// What says a file is still the one that was read: a file replaced, rewritten or grown in
/// between differs in identity, size or one of its times (the change time cannot be set back).
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t size = 0;
    timespec modified{};
    timespec changed{};

    static std::optional<FileState> of(const fs::path& file)
    {
        struct stat st{};
        if (stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return std::nullopt;
        return FileState{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }

    friend bool operator==(const FileState& a, const FileState& b)
    {
        return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modified.tv_sec == b.modified.tv_sec
               && a.modified.tv_nsec == b.modified.tv_nsec && a.changed.tv_sec == b.changed.tv_sec
               && a.changed.tv_nsec == b.changed.tv_nsec;
    }
};

} // namespace

std::string Indexer::key(std::string_view rel)
{
    return md5Hex(rel).substr(0, 16);
}

fs::path Indexer::thumbURL(std::string_view key) const
{
    return thumbDir() / std::string(key.substr(0, 2)) / (std::string(key) + ".jpg");
}

std::optional<CacheRecord> Indexer::process(const FileEntry& entry, KeepThumbnail keep) const
{
    return processPhoto(entry, keep).record;
}

PhotoResult Indexer::processPhoto(const FileEntry& entry, KeepThumbnail keep) const
{
    const PhotoResult changed{std::nullopt, true};
    try {
        const fs::path file = root / fs::path(entry.rel);
        const std::string photoKey = key(entry.rel);
        // A photo deleted, replaced or still being copied while it is read would give a
        // thumbnail and a record of no file that ever was: the file must be the same before
        // and after, else it is left for the next run.
        const auto before = FileState::of(file);
        if (!before)
            return changed;
        const auto unchanged = [&] { return FileState::of(file) == before; };
        auto photo = openPhoto(file, entry.rel);
        if (!photo)
            return unchanged() ? PhotoResult{} : changed;

        const std::string date = photo->date;
        // Orientations 5 to 8 turn the picture by a quarter: the record holds the size as shown.
        const bool quarterTurn = photo->orientation >= 5 && photo->orientation <= 8;
        std::int64_t width = quarterTurn ? photo->stored.height : photo->stored.width;
        std::int64_t height = quarterTurn ? photo->stored.width : photo->stored.height;

        const fs::path thumb = thumbURL(photoKey);
        std::error_code ec;
        // An existing thumbnail is kept as it is, which makes a resumed wall cheap, unless
        // something says the photo changed since it was made.
        if (!thumbnailStands(thumb, entry, keep)) {
            fs::create_directories(thumb.parent_path(), ec); // a failure shows in the write below
            // A link planted for the thumbnail's folder or its temporary file would take the
            // write outside the wall: refuse the first, remove the second (the encoder follows it).
            if (fs::is_symlink(thumb.parent_path(), ec))
                return {};
            const fs::path temp = WallGuard::thumbnailTemporary(thumb);
            fs::remove(temp, ec);
            const ThumbnailSpec spec{thumbSize, int(std::lround(quality * 100))};
            const auto made = photo->writeThumbnail(temp, spec);
            // The decoder's handles and buffers go before the file system work below.
            photo.reset();
            const bool same = unchanged();
            if (!made || !same) {
                fs::remove(temp, ec);
                return same ? PhotoResult{} : changed;
            }
            if (width == 0 || height == 0) {
                width = made->width;
                height = made->height;
            }
            // rename() replaces an existing file atomically, so the thumbnail is visible under
            // its final name only when complete.
            fs::rename(temp, thumb, ec);
            if (ec) {
                fs::remove(temp, ec);
                return {};
            }
        } else {
            photo.reset();
            if (!unchanged())
                return changed;
        }
        // The size and time the walk found: a photo replaced since then no longer matches them,
        // so the next run makes it again from the file as it is by then.
        return {Record::make(photoKey, width, height, date, entry.mtime, entry.size), false};
    } catch (...) {
        // A photo's processing never ends the run: whatever failed, the photo is unreadable.
        return {};
    }
}
