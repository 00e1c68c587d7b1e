// Photos decoded and thumbnails written through libvips.
#include "engine/decode/VipsPhoto.h"

#include "engine/base/UniqueFd.h"
#include "engine/decode/DecoderMessage.h"

#include <vips/vips8>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

namespace fs = std::filesystem;

namespace {

// What one worker's decoder may hold at once, so that a photo that declares huge dimensions
// cannot exhaust memory, whatever the file's own size (a 3.5 MB progressive JPEG of
// 30000 x 30000 pixels needs 1.8 GB):
// - Formats whose decoder holds a whole frame get a pixel limit: 16384 x 16384 (268
//   megapixels) still admits the largest phone and camera photos. At the limit a GIF or WebP
//   frame is 4 bytes a pixel, 1 GiB; HEIF is about 5.5 bytes a pixel with libheif's planes
//   (1.5 GiB), 9 for a 10-bit HEIF (2.3 GiB); BMP goes through ImageMagick, whose own policy
//   limits come first.
// - A progressive JPEG keeps every DCT coefficient of the image until its last scan (2 bytes
//   each, fewer for subsampled colour), and an interlaced PNG decodes whole: both may hold at
//   most maxDecodeBytes, 1 GiB.
// - Baseline JPEG, non-interlaced PNG and TIFF stream row by row through a sequential pipeline
//   (JPEG additionally shrinks on load): a few rows of the widest image, a few MB.
// So the worst case of one worker is about 2.3 GB, and that only for a 268-megapixel 10-bit HEIF.
constexpr std::int64_t maxWholeFramePixels = std::int64_t(16384) * 16384;
constexpr std::int64_t maxDecodeBytes = std::int64_t(1) << 30;

enum class Format { jpeg, png, webp, tiff, gif, heif, bmp };

struct Loader {
    const char* typeName; ///< what vips_foreign_find_load_source answers
    const char* operation;
    Format format;
    bool wholeFrame;
};

// Only these decoders are trusted with files from the user's disk; a file whose content is
// anything else (PDF, SVG, a text file with a photo's extension) is not an image to us.
constexpr std::array<Loader, 6> sourceLoaders{{
    {"VipsForeignLoadJpegSource", "jpegload_source", Format::jpeg, false},
    {"VipsForeignLoadPngSource", "pngload_source", Format::png, false},
    {"VipsForeignLoadTiffSource", "tiffload_source", Format::tiff, false},
    {"VipsForeignLoadWebpSource", "webpload_source", Format::webp, true},
    {"VipsForeignLoadNsgifSource", "gifload_source", Format::gif, true},
    {"VipsForeignLoadHeifSource", "heifload_source", Format::heif, true},
}};
// BMP has no decoder of its own in libvips; ImageMagick reads it, by file name only.
constexpr Loader bmpLoader{"VipsForeignLoadMagickFile", "magickload", Format::bmp, true};

void ignoreLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

/// What libvips said since its error buffer was last cleared, made plain; the buffer is cleared,
/// so that the next photo's words are its own.
std::string vipsSaid()
{
    char* said = vips_error_buffer_copy();
    std::string message = DecoderMessage::plain(said ? said : "");
    g_free(said);
    return message;
}

/// What libvips said of this failure: the words the error took from the buffer as it was thrown.
/// The buffer is the process's, and photos decoded in this process on other threads clear it
/// and take their own words from it, so by now it may hold another photo's words or none.
std::string vipsSaid(const vips::VError& error)
{
    const std::string later = vipsSaid();
    const std::string message = DecoderMessage::plain(error.what());
    if (!message.empty())
        return message;
    return later.empty() ? std::string("libvips gave no reason") : later;
}

/// The words for a file no loader of libvips takes, when another thread took libvips' own.
constexpr const char* noLoader = "not an image format libvips reads";

/// Starts libvips once for the process; false when it cannot start.
bool vipsReady()
{
    static const bool ready = [] {
        if (VIPS_INIT("kestova") != 0)
            return false;
        // Every photo is opened once, so cached operations would only hold memory.
        vips_cache_set_max(0);
        vips_cache_set_max_mem(0);
        vips_cache_set_max_files(0);
        // The job already runs one photo per processor; one thread per pipeline avoids
        // oversubscribing the machine.
        vips_concurrency_set(1);
        // Loaders libvips marks as unsafe for untrusted input stay off; ImageMagick comes
        // back for BMP only, which we route to it ourselves after checking the signature.
        vips_block_untrusted_set(TRUE);
        vips_operation_block_set("VipsForeignLoadMagick", FALSE);
        // Damaged photos are expected in a large collection; their warnings must not flood
        // the terminal. Failures still reach us as errors.
        g_log_set_handler("VIPS",
                          static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                                      G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG),
                          ignoreLog, nullptr);
        return true;
    }();
    return ready;
}

vips::VOption* loadOptions()
{
    // Sequential access lets every loader stream; failing on errors turns a damaged file
    // into "unreadable" rather than a thumbnail with grey or garbage bands.
    return vips::VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("fail_on", VIPS_FAIL_ON_ERROR);
}

vips::VImage loadFrom(const Loader& loader, const vips::VSource& source, vips::VOption* options)
{
    vips::VImage out;
    vips::VImage::call(loader.operation, options->set("source", source)->set("out", &out));
    return out;
}

bool headerSays(const vips::VImage& header, const char* field)
{
    return header.get_typeof(field) == G_TYPE_INT && header.get_int(field) != 0;
}

/// The memory a streaming format's decoder needs for the whole image when the file is laid out
/// so that it cannot stream: the coefficients of a progressive JPEG, the pixels of an
/// interlaced PNG. 0 when it streams.
std::int64_t wholeImageBytes(const Loader& loader, const vips::VImage& header)
{
    const std::int64_t pixels = std::int64_t(header.width()) * header.height();
    if (loader.format == Format::jpeg && headerSays(header, "jpeg-multiscan")) {
        // Two bytes per coefficient, one coefficient per pixel and component; subsampled
        // colour components count at most half (4:2:2; 4:2:0 is a quarter).
        const bool subsampled = header.get_typeof("jpeg-chroma-subsample") != 0
                                && std::string_view(header.get_string("jpeg-chroma-subsample")) != "4:4:4";
        const std::int64_t colour = header.bands() - 1;
        const std::int64_t bytesPerPixel = 2 + (subsampled ? colour : 2 * colour);
        return pixels * bytesPerPixel;
    }
    if (loader.format == Format::png && headerSays(header, "interlaced"))
        return pixels * header.bands() * (header.format() == VIPS_FORMAT_USHORT ? 2 : 1);
    return 0;
}

bool startsWithBmpSignature(int fd)
{
    char magic[2] = {};
    return ::pread(fd, magic, sizeof magic, 0) == 2 && magic[0] == 'B' && magic[1] == 'M';
}

/// The EXIF block from its TIFF header on: JPEG keeps an "Exif\0\0" prefix, HEIF a 4-byte
/// offset before it, depending on the libvips version.
std::string fromTiffHeader(std::string_view block)
{
    constexpr std::string_view exifPrefix("Exif\0\0", 6);
    if (block.substr(0, exifPrefix.size()) == exifPrefix)
        block.remove_prefix(exifPrefix.size());
    for (std::size_t at = 0; at + 4 <= block.size() && at <= 16; ++at) {
        const std::string_view head = block.substr(at, 4);
        if (head == std::string_view("II*\0", 4) || head == std::string_view("MM\0*", 4))
            return std::string(block.substr(at));
    }
    return {};
}

PixelSize fitted(PixelSize size, int maxSide)
{
    const int longest = std::max(size.width, size.height);
    if (longest <= maxSide)
        return size;
    const double scale = double(maxSide) / longest;
    return {std::max(1, int(std::lround(size.width * scale))), std::max(1, int(std::lround(size.height * scale)))};
}

/// Opaque version of the image: transparent pixels composited onto white. An image without
/// an alpha channel is returned as it is.
vips::VImage flattened(const vips::VImage& image)
{
    if (!image.has_alpha())
        return image;
    const VipsInterpretation space = image.interpretation();
    const double opaque = space == VIPS_INTERPRETATION_RGB16 || space == VIPS_INTERPRETATION_GREY16 ? 65535.0
                          : space == VIPS_INTERPRETATION_scRGB                                       ? 1.0
                                                                                                     : 255.0;
    // White is all channels at their maximum, except in CMYK where it is no ink at all.
    const double white = space == VIPS_INTERPRETATION_CMYK ? 0.0 : opaque;
    return image.flatten(vips::VImage::option()
                             ->set("background", std::vector<double>(image.bands() - 1, white))
                             ->set("max_alpha", opaque));
}

/// 8-bit sRGB, three bands. Browsers assume sRGB for a JPEG without a profile, so photos in
/// Display P3, Adobe RGB or CMYK are converted through their embedded profile.
vips::VImage inSRGB(vips::VImage image)
{
    const bool hasProfile = image.get_typeof(VIPS_META_ICC_NAME) != 0;
    if (hasProfile || image.interpretation() == VIPS_INTERPRETATION_CMYK) {
        try {
            auto* options = vips::VImage::option()->set("intent", VIPS_INTENT_RELATIVE)->set("depth", 8);
            if (hasProfile)
                options->set("embedded", true);
            else
                options->set("input_profile", "cmyk");
            return image.icc_transform("srgb", options);
        } catch (const vips::VError&) {
            // A damaged profile: show the pixels as they are rather than nothing.
            vips_error_clear();
        }
    }
    try {
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    } catch (const vips::VError&) {
        vips_error_clear();
    }
    if (image.format() != VIPS_FORMAT_UCHAR)
        image = image.cast(VIPS_FORMAT_UCHAR);
    if (image.bands() > 3)
        image = image.extract_band(0, vips::VImage::option()->set("n", 3));
    else if (image.bands() == 2)
        image = image.extract_band(0);
    if (image.bands() == 1)
        image = image.bandjoin({image, image});
    return image;
}

/// Scales, converts and decodes into memory; the decode happens here, so a damaged file
/// throws before anything is written.
vips::VImage rendered(vips::VImage image, PixelSize target)
{
    image = flattened(image);
    if (image.width() != target.width || image.height() != target.height)
        image = image.resize(double(target.width) / image.width(),
                             vips::VImage::option()->set("vscale", double(target.height) / image.height()));
    return inSRGB(image).copy_memory();
}

PixelSize saved(vips::VImage image, int orientation, const fs::path& jpeg, const ThumbnailSpec& spec)
{
    if (orientation != 1) {
        // The pixels are in memory, so turning them needs no second decode.
        image = image.copy();
        image.set(VIPS_META_ORIENTATION, orientation);
        image = image.autorot();
    }
    // Stripped: a wall may be shared, and its thumbnails must not carry GPS or camera data.
    image.jpegsave(jpeg.c_str(), vips::VImage::option()
                                     ->set("Q", spec.quality)
                                     ->set("strip", true)
                                     ->set("optimize_coding", true));
    return {image.width(), image.height()};
}

/// The image scaled in memory to the target size; the image itself when it has that size.
vips::VImage scaledTo(const vips::VImage& image, PixelSize target)
{
    if (target.width == image.width() && target.height == image.height())
        return image;
    return image.resize(double(target.width) / image.width(),
                        vips::VImage::option()->set("vscale", double(target.height) / image.height()));
}

/// Every wanted JPEG from one decode: the pixels are decoded once, at the largest size wanted,
/// and each smaller image is scaled in memory from the next larger one. `decodedFor` gives the
/// undecoded image for a longest side, shrunk by the decoder where it can.
template <typename Decoded>
JpegsWritten savedAll(Decoded decodedFor, PixelSize size, int orientation, const JpegTargets& targets)
{
    const bool full = !targets.full.empty();
    const bool preview = !targets.preview.empty();
    const bool thumbnail = !targets.thumbnail.empty();
    const int largest = full      ? std::max(size.width, size.height)
                        : preview ? std::max(targets.previewSpec.maxSide, thumbnail ? targets.thumbnailSpec.maxSide : 0)
                                  : targets.thumbnailSpec.maxSide;
    const PixelSize decodedSize = fitted(size, largest);
    vips::VImage pixels = rendered(decodedFor(largest), decodedSize);
    JpegsWritten written;
    if (full)
        written.full = saved(pixels, orientation, targets.full, {largest, targets.fullQuality});
    if (preview) {
        pixels = scaledTo(pixels, fitted(size, targets.previewSpec.maxSide));
        written.preview = saved(pixels, orientation, targets.preview, targets.previewSpec);
    }
    if (thumbnail)
        written.thumbnail = saved(scaledTo(pixels, fitted(size, targets.thumbnailSpec.maxSide)), orientation,
                                  targets.thumbnail, targets.thumbnailSpec);
    return written;
}

} // namespace

struct VipsPhoto::State {
    // Declared first so that it is closed last, after every image reading from it.
    UniqueFd file;
    Loader loader{};
    std::optional<vips::VSource> source;
    vips::VImage header;
    PixelSize size;
    int orientation = 1;
    std::string exif;
    std::string xmp;

    /// The pixels to make the thumbnail from, shrunk by the decoder where it can.
    vips::VImage decoded(int maxSide) const
    {
        const int longest = std::max(size.width, size.height);
        if (longest <= maxSide)
            return header;
        // A scale that leaves the shorter side under one pixel makes libvips abort the whole
        // process (a 42088x1 JPEG): such thin pictures are decoded at full size.
        const int shortest = std::min(size.width, size.height);
        if (double(shortest) * maxSide / longest < 1.0)
            return header;
        if (loader.format == Format::jpeg) {
            // libjpeg scales while decoding (1/2, 1/4, 1/8), which skips most of the work.
            // Take the strongest scale that still leaves at least maxSide pixels, so the
            // final resize only ever reduces.
            for (int shrink : {8, 4, 2}) {
                if ((longest + shrink - 1) / shrink >= maxSide)
                    return loadFrom(loader, *source, loadOptions()->set("shrink", shrink));
            }
        } else if (loader.format == Format::webp) {
            return loadFrom(loader, *source, loadOptions()->set("scale", double(maxSide) / longest));
        }
        return header;
    }
};

VipsPhoto::VipsPhoto(std::unique_ptr<State> state) : state(std::move(state)) {}
VipsPhoto::VipsPhoto(VipsPhoto&&) noexcept = default;
VipsPhoto& VipsPhoto::operator=(VipsPhoto&&) noexcept = default;
VipsPhoto::~VipsPhoto() = default;

Opened<VipsPhoto> VipsPhoto::open(const fs::path& file)
{
    constexpr auto damaged = WhyUnreadable::damaged;
    if (!vipsReady())
        return {damaged, vipsSaid()};
    // Words left from an earlier photo are not this one's.
    vips_error_clear();
    auto state = std::make_unique<State>();
    state->file = UniqueFd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!state->file)
        return {damaged, DecoderMessage::plain(std::strerror(errno))};
    try {
        state->source.emplace(vips::VSource::new_from_descriptor(state->file.get()));
        const char* found = vips_foreign_find_load_source(state->source->get_source());
        const Loader* loader = nullptr;
        if (found) {
            for (const Loader& candidate : sourceLoaders) {
                if (std::strcmp(candidate.typeName, found) == 0)
                    loader = &candidate;
            }
        } else if (startsWithBmpSignature(state->file.get())) {
            loader = &bmpLoader;
        }
        if (!loader) {
            // libvips names the format it found, or says it knows none; a format it reads but
            // we do not trust says nothing.
            const std::string said = vipsSaid();
            return {damaged, said.empty() ? std::string(noLoader) : said};
        }
        state->loader = *loader;
        if (loader->format == Format::bmp) {
            vips::VImage::call(loader->operation,
                               loadOptions()->set("filename", file.c_str())->set("out", &state->header));
        } else {
            state->header = loadFrom(*loader, *state->source, loadOptions());
        }
        state->size = {state->header.width(), state->header.height()};
        if (loader->wholeFrame && std::int64_t(state->size.width) * state->size.height > maxWholeFramePixels)
            return WhyUnreadable::tooLarge;
        if (wholeImageBytes(*loader, state->header) > maxDecodeBytes)
            return WhyUnreadable::tooLarge;
        // libvips reports the orientation the pixels still need: for HEIF, libheif has
        // already applied the file's rotation and mirroring, and the tag is not reported.
        if (state->header.get_typeof(VIPS_META_ORIENTATION) != 0) {
            const int orientation = state->header.get_int(VIPS_META_ORIENTATION);
            state->orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
        }
        if (state->header.get_typeof(VIPS_META_EXIF_NAME) != 0) {
            std::size_t length = 0;
            const void* data = state->header.get_blob(VIPS_META_EXIF_NAME, &length);
            state->exif = fromTiffHeader(std::string_view(static_cast<const char*>(data), length));
        }
        if (state->header.get_typeof(VIPS_META_XMP_NAME) != 0) {
            std::size_t length = 0;
            const void* data = state->header.get_blob(VIPS_META_XMP_NAME, &length);
            state->xmp.assign(static_cast<const char*>(data), length);
        }
    } catch (const vips::VError& error) {
        return {damaged, vipsSaid(error)};
    }
    return VipsPhoto(std::move(state));
}

PixelSize VipsPhoto::storedSize() const { return state->size; }
int VipsPhoto::orientation() const { return state->orientation; }
std::string_view VipsPhoto::exif() const { return state->exif; }
std::string_view VipsPhoto::xmp() const { return state->xmp; }
bool VipsPhoto::isTiff() const { return state->loader.format == Format::tiff; }
bool VipsPhoto::isBrowserFormat() const
{
    return state->loader.format != Format::tiff && state->loader.format != Format::heif;
}

std::optional<PixelSize> VipsPhoto::writeThumbnail(const fs::path& jpeg, const ThumbnailSpec& spec) const
{
    const auto written = writeJpegs(JpegTargets{jpeg, spec, {}, {}, {}, 0});
    return written ? written->thumbnail : std::nullopt;
}

Opened<JpegsWritten> VipsPhoto::writeJpegs(const JpegTargets& targets) const
{
    vips_error_clear();
    try {
        return savedAll([this](int maxSide) { return state->decoded(maxSide); }, state->size, state->orientation,
                        targets);
    } catch (const vips::VError& error) {
        return {WhyUnreadable::damaged, vipsSaid(error)};
    }
}

Opened<JpegsWritten> writeJpegs(const PixelBuffer& pixels, const JpegTargets& targets)
{
    if (!vipsReady())
        return {WhyUnreadable::damaged, vipsSaid()};
    if (pixels.width <= 0 || pixels.height <= 0 || (pixels.bands != 1 && pixels.bands != 3) ||
        pixels.samples.size() != std::size_t(pixels.width) * pixels.height * pixels.bands)
        return WhyUnreadable::damaged;
    vips_error_clear();
    try {
        // The image reads from the caller's buffer, which outlives it: rendered() copies.
        const vips::VImage image = vips::VImage::new_from_memory(const_cast<std::uint8_t*>(pixels.samples.data()),
                                                                 pixels.samples.size(), pixels.width, pixels.height,
                                                                 pixels.bands, VIPS_FORMAT_UCHAR);
        return savedAll([&image](int) { return image; }, {pixels.width, pixels.height}, 1, targets);
    } catch (const vips::VError& error) {
        return {WhyUnreadable::damaged, vipsSaid(error)};
    }
}

std::optional<PixelSize> writeThumbnail(const PixelBuffer& pixels, const fs::path& jpeg, const ThumbnailSpec& spec)
{
    const auto written = writeJpegs(pixels, JpegTargets{jpeg, spec, {}, {}, {}, 0});
    return written ? written->thumbnail : std::nullopt;
}
