// One photo's processing: its cache record and its thumbnail.
#include "engine/Indexer.h"

#include "engine/Md5.h"
#include "engine/internal/AsciiText.h"
#include "engine/internal/ExifReader.h"
#include "engine/internal/RawPhoto.h"
#include "engine/internal/VipsPhoto.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool isCameraRaw(std::string_view rel)
{
    static const std::array<std::string_view, 8> raws{"dng", "cr2", "cr3", "nef", "arw", "raf", "orf", "rw2"};
    const std::string ext = AsciiText::lowerExtension(rel);
    return std::find(raws.begin(), raws.end(), ext) != raws.end();
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

} // namespace

std::string Indexer::key(std::string_view rel)
{
    return md5Hex(rel).substr(0, 16);
}

fs::path Indexer::thumbURL(std::string_view key) const
{
    return thumbDir() / std::string(key.substr(0, 2)) / (std::string(key) + ".jpg");
}

std::optional<CacheRecord> Indexer::process(const FileEntry& entry) const
{
    try {
        const fs::path file = root / fs::path(entry.rel);
        const std::string photoKey = key(entry.rel);
        auto photo = openPhoto(file, entry.rel);
        if (!photo)
            return std::nullopt;

        const std::string date = photo->date;
        // Orientations 5 to 8 turn the picture by a quarter: the record holds the size as shown.
        const bool quarterTurn = photo->orientation >= 5 && photo->orientation <= 8;
        std::int64_t width = quarterTurn ? photo->stored.height : photo->stored.width;
        std::int64_t height = quarterTurn ? photo->stored.width : photo->stored.height;

        const fs::path thumb = thumbURL(photoKey);
        std::error_code ec;
        // An existing thumbnail is kept as it is: that is what makes a resumed or updated wall cheap.
        if (!fs::exists(thumb, ec)) {
            fs::create_directories(thumb.parent_path(), ec); // a failure shows in the write below
            // A link planted for the thumbnail's folder or its temporary file would take the
            // write outside the wall: refuse the first, remove the second (the encoder follows it).
            if (fs::is_symlink(thumb.parent_path(), ec))
                return std::nullopt;
            const fs::path temp = thumb.parent_path() / ("." + photoKey + ".tmp");
            fs::remove(temp, ec);
            const ThumbnailSpec spec{thumbSize, int(std::lround(quality * 100))};
            const auto made = photo->writeThumbnail(temp, spec);
            // The decoder's handles and buffers go before the file system work below.
            photo.reset();
            if (!made) {
                fs::remove(temp, ec);
                return std::nullopt;
            }
            if (width == 0 || height == 0) {
                width = made->width;
                height = made->height;
            }
            // rename() replaces an existing file atomically, so the thumbnail is visible under
            // its final name only when complete. When it fails the temporary file stays.
            fs::rename(temp, thumb, ec);
            if (ec)
                return std::nullopt;
        }
        return Record::make(photoKey, width, height, date, entry.mtime, entry.size);
    } catch (...) {
        // A photo's processing never ends the run: whatever failed, the photo is unreadable.
        return std::nullopt;
    }
}
