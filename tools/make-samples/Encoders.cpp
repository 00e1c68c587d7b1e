// libvips adapter: the only file of the tool that includes libvips.
#include "Encoders.h"

#include <vips/vips8>

#include <stdexcept>

namespace samples {
namespace {

using vips::VImage;

VImage imageOf(const Canvas& canvas)
{
    // libvips only reads the buffer, and every caller keeps the canvas alive until the file
    // is encoded.
    VImage image = VImage::new_from_memory(const_cast<std::uint8_t*>(canvas.data()), canvas.byteSize(),
                                           canvas.width(), canvas.height(), canvas.bands(), VIPS_FORMAT_UCHAR);
    return image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

Bytes takeBlob(VipsBlob* blob)
{
    std::size_t size = 0;
    const void* data = vips_blob_get(blob, &size);
    Bytes bytes(static_cast<const char*>(data), size);
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
}

std::runtime_error encodeError(const char* format, const vips::VError& error)
{
    return std::runtime_error(std::string("could not encode a ") + format + " image: " + error.what());
}

} // namespace

Bytes encodeJpeg(const Canvas& canvas, int quality)
{
    try {
        return takeBlob(imageOf(canvas).jpegsave_buffer(
            VImage::option()->set("Q", quality)->set("strip", true)->set("optimize_coding", true)));
    } catch (const vips::VError& error) {
        throw encodeError("JPEG", error);
    }
}

Bytes encodePng(const Canvas& canvas)
{
    try {
        return takeBlob(imageOf(canvas).pngsave_buffer(VImage::option()->set("compression", 9)->set("strip", true)));
    } catch (const vips::VError& error) {
        throw encodeError("PNG", error);
    }
}

Bytes encodeWebp(const Canvas& canvas, int quality)
{
    try {
        return takeBlob(imageOf(canvas).webpsave_buffer(VImage::option()->set("Q", quality)->set("strip", true)));
    } catch (const vips::VError& error) {
        throw encodeError("WebP", error);
    }
}

Bytes encodeTiff(const Canvas& canvas)
{
    try {
        return takeBlob(imageOf(canvas).tiffsave_buffer(
            VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE)->set("strip", true)));
    } catch (const vips::VError& error) {
        throw encodeError("TIFF", error);
    }
}

Bytes encodeGif(const std::vector<Canvas>& frames, int frameDelayMs)
{
    try {
        std::vector<VImage> pages;
        for (const Canvas& frame : frames)
            pages.push_back(imageOf(frame));
        // An animation is one tall image of stacked pages of equal height.
        VImage strip = VImage::arrayjoin(pages, VImage::option()->set("across", 1)).copy();
        strip.set("page-height", frames.front().height());
        strip.set("n-pages", static_cast<int>(frames.size()));
        strip.set("delay", std::vector<int>(frames.size(), frameDelayMs));
        strip.set("loop", 0);
        return takeBlob(strip.gifsave_buffer(VImage::option()->set("strip", true)));
    } catch (const vips::VError& error) {
        throw encodeError("GIF", error);
    }
}

std::optional<Bytes> encodeBmp(const Canvas& canvas)
{
    try {
        return takeBlob(imageOf(canvas).magicksave_buffer(VImage::option()->set("format", "bmp")->set("strip", true)));
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

std::optional<Bytes> encodeHeic(const Canvas& canvas, int quality, const std::optional<Bytes>& exifBlob)
{
    try {
        VImage image = imageOf(canvas).copy();
        if (exifBlob)
            image.set("exif-data", nullptr, const_cast<char*>(exifBlob->data()), exifBlob->size());
        return takeBlob(image.heifsave_buffer(
            VImage::option()->set("Q", quality)->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_HEVC)));
    } catch (const vips::VError&) {
        vips_error_clear();
        return std::nullopt;
    }
}

} // namespace samples
