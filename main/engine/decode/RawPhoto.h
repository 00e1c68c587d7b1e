// Camera raw photos decoded through LibRaw. Nothing else includes LibRaw.
#pragma once

#include "engine/decode/Opened.h"
#include "engine/decode/PixelBuffer.h"

#include <filesystem>
#include <memory>
#include <optional>

/// One camera raw file opened through LibRaw. Opening reads only the header; pixels are
/// decoded by decodeHalfSize. The file and all decoder memory are released with the object.
class RawPhoto {
public:
    /// Nothing, with LibRaw's words, when it does not recognise the file.
    static Opened<RawPhoto> open(const std::filesystem::path& file);

    RawPhoto(RawPhoto&&) noexcept;
    RawPhoto& operator=(RawPhoto&&) noexcept;
    ~RawPhoto();

    /// Pixel size of the developed image before any rotation.
    PixelSize storedSize() const;
    /// The EXIF orientation code (1, 3, 6 or 8) the camera recorded.
    int orientation() const;

    /// The whole sensor image developed at half resolution (not the camera's embedded
    /// preview), 8-bit sRGB and already upright. Nothing, with LibRaw's words, when the raw data
    /// cannot be decoded.
    Opened<PixelBuffer> decodeHalfSize();

private:
    struct State;
    explicit RawPhoto(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};
