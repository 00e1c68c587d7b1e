// Photos decoded and thumbnails written through libvips. Nothing else includes libvips.
#pragma once

#include "engine/decode/Opened.h"
#include "engine/decode/PixelBuffer.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

/// How the thumbnail JPEG is made; the job decides both (WallImages::thumbSize and quality).
struct ThumbnailSpec {
    int maxSide = 0; ///< longest side; smaller images are never enlarged
    int quality = 0; ///< JPEG quality, 1..100
};

/// The JPEGs one decode of a photo makes: its thumbnail, a large preview for photos whose
/// original a browser cannot show, and the photo at the full size decoded. An empty path means
/// that image is not wanted.
struct JpegTargets {
    std::filesystem::path thumbnail;
    ThumbnailSpec thumbnailSpec;
    std::filesystem::path preview;
    ThumbnailSpec previewSpec; ///< the job decides it (WallImages::previewSize and previewQuality)
    std::filesystem::path full;
    int fullQuality = 0; ///< JPEG quality, 1..100 (WallImages::fullQuality)
};

/// The size of each JPEG written; nothing for one that was not wanted.
struct JpegsWritten {
    std::optional<PixelSize> thumbnail;
    std::optional<PixelSize> preview;
    std::optional<PixelSize> full;
};

/// One photo opened through libvips. Opening reads only the header; pixels are decoded by
/// writeThumbnail. The file and every decoder handle are released with the object.
class VipsPhoto {
public:
    /// Nothing when the file cannot be opened or is no image format we accept (damaged, with
    /// libvips' or the system's words), or when decoding it would take more memory than one
    /// photo may have (tooLarge).
    static Opened<VipsPhoto> open(const std::filesystem::path& file);

    VipsPhoto(VipsPhoto&&) noexcept;
    VipsPhoto& operator=(VipsPhoto&&) noexcept;
    ~VipsPhoto();

    /// Pixel size as the decoder delivers the pixels.
    PixelSize storedSize() const;
    /// The EXIF orientation code (1..8) the decoded pixels still need to be shown upright.
    /// 1 when the format carries none or the decoder has already turned them (HEIF).
    int orientation() const;
    /// The EXIF block, starting at its TIFF header; empty when the file carries none.
    std::string_view exif() const;
    /// The XMP packet; empty when the file carries none.
    std::string_view xmp() const;
    /// Whether the file is a TIFF, whose own first directory holds the date tags.
    bool isTiff() const;
    /// Whether browsers show this format themselves (JPEG, PNG, GIF, WebP, BMP); HEIF and TIFF
    /// need a preview.
    bool isBrowserFormat() const;

    /// Decodes the photo and writes an upright, opaque sRGB JPEG without metadata to `jpeg`.
    /// Returns the thumbnail's size, or nothing when the pixels cannot be decoded (nothing is
    /// written then) or the file cannot be written (a partial file may remain at `jpeg`).
    std::optional<PixelSize> writeThumbnail(const std::filesystem::path& jpeg, const ThumbnailSpec& spec) const;
    /// Decodes the photo once and writes each wanted JPEG from those pixels, as writeThumbnail
    /// does. Nothing, with libvips' words, when the pixels cannot be decoded or a file cannot be
    /// written.
    Opened<JpegsWritten> writeJpegs(const JpegTargets& targets) const;

private:
    struct State;
    explicit VipsPhoto(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

/// Writes the thumbnail of pixels that are already upright and in sRGB, as VipsPhoto does.
std::optional<PixelSize> writeThumbnail(const PixelBuffer& pixels, const std::filesystem::path& jpeg,
                                        const ThumbnailSpec& spec);
/// Writes the wanted JPEGs of pixels that are already upright and in sRGB; nothing, with
/// libvips' words, when they cannot be written.
Opened<JpegsWritten> writeJpegs(const PixelBuffer& pixels, const JpegTargets& targets);
