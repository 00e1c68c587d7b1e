// Photos decoded and thumbnails written through libvips. Nothing else includes libvips.
#pragma once

#include "engine/internal/PixelBuffer.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

/// How the thumbnail JPEG is made; the job decides both (Indexer::thumbSize and quality).
struct ThumbnailSpec {
    int maxSide = 0; ///< longest side; smaller images are never enlarged
    int quality = 0; ///< JPEG quality, 1..100
};

/// One photo opened through libvips. Opening reads only the header; pixels are decoded by
/// writeThumbnail. The file and every decoder handle are released with the object.
class VipsPhoto {
public:
    /// Nothing when the file cannot be opened or is no image format we accept.
    static std::optional<VipsPhoto> open(const std::filesystem::path& file);

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
    /// Whether the file is a TIFF, whose own first directory holds the date tags.
    bool isTiff() const;

    /// Decodes the photo and writes an upright, opaque sRGB JPEG without metadata to `jpeg`.
    /// Returns the thumbnail's size, or nothing when the pixels cannot be decoded (nothing is
    /// written then) or the file cannot be written (a partial file may remain at `jpeg`).
    std::optional<PixelSize> writeThumbnail(const std::filesystem::path& jpeg, const ThumbnailSpec& spec) const;

private:
    struct State;
    explicit VipsPhoto(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

/// Writes the thumbnail of pixels that are already upright and in sRGB, as VipsPhoto does.
std::optional<PixelSize> writeThumbnail(const PixelBuffer& pixels, const std::filesystem::path& jpeg,
                                        const ThumbnailSpec& spec);
