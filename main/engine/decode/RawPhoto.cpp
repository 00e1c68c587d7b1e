// Camera raw photos decoded through LibRaw.
#include "engine/decode/RawPhoto.h"

#include "engine/decode/DecoderMessage.h"

#include <libraw/libraw.h>

#include <cstring>
#include <new>

namespace fs = std::filesystem;

namespace {

// LibRaw reports damaged data and failed allocations on stderr unless told otherwise; a
// damaged photo is simply unreadable to us.
void ignoreDataError(void*, const char*, int) {}
void ignoreMemoryError(void*, const char*, const char*) {}

/// LibRaw's words for what one of its calls returned. Its own codes are negative; a positive
/// one is the system's errno from opening the file.
std::string rawSaid(int status)
{
    if (status > 0)
        return DecoderMessage::plain(std::strerror(status));
    return DecoderMessage::plain(libraw_strerror(status));
}

int exifOrientation(int flip)
{
    // LibRaw's flip: 3 = turned 180 degrees, 5 = 90 counter-clockwise, 6 = 90 clockwise.
    switch (flip) {
    case 3: return 3;
    case 5: return 8;
    case 6: return 6;
    default: return 1;
    }
}

} // namespace

struct RawPhoto::State {
    LibRaw raw;
};

RawPhoto::RawPhoto(std::unique_ptr<State> state) : state(std::move(state)) {}
RawPhoto::RawPhoto(RawPhoto&&) noexcept = default;
RawPhoto& RawPhoto::operator=(RawPhoto&&) noexcept = default;
RawPhoto::~RawPhoto() = default;

Opened<RawPhoto> RawPhoto::open(const fs::path& file)
{
    // LibRaw's working state is several hundred kilobytes: on the heap, not a worker's stack.
    auto state = std::unique_ptr<State>(new (std::nothrow) State);
    if (!state)
        return WhyUnreadable::damaged;
    LibRaw& raw = state->raw;
    raw.set_dataerror_handler(ignoreDataError, nullptr);
    raw.set_memerror_handler(ignoreMemoryError, nullptr);
    if (const int status = raw.open_file(file.c_str()); status != LIBRAW_SUCCESS)
        return {WhyUnreadable::damaged, rawSaid(status)};
    // Opened, but of no picture: LibRaw has no words for that.
    if (raw.imgdata.sizes.width == 0 || raw.imgdata.sizes.height == 0)
        return WhyUnreadable::damaged;
    return RawPhoto(std::move(state));
}

PixelSize RawPhoto::storedSize() const
{
    return {state->raw.imgdata.sizes.width, state->raw.imgdata.sizes.height};
}

int RawPhoto::orientation() const { return exifOrientation(state->raw.imgdata.sizes.flip); }

Opened<PixelBuffer> RawPhoto::decodeHalfSize()
{
    LibRaw& raw = state->raw;
    // Half size skips demosaicing: each 2x2 sensor block becomes one pixel, which is far more
    // resolution than a thumbnail needs and several times faster than a full development.
    raw.imgdata.params.half_size = 1;
    raw.imgdata.params.use_camera_wb = 1;
    raw.imgdata.params.output_color = 1; // sRGB
    raw.imgdata.params.output_bps = 8;
    if (const int status = raw.unpack(); status != LIBRAW_SUCCESS)
        return {WhyUnreadable::damaged, rawSaid(status)};
    if (const int status = raw.dcraw_process(); status != LIBRAW_SUCCESS)
        return {WhyUnreadable::damaged, rawSaid(status)};
    PixelBuffer pixels;
    int bits = 0;
    raw.get_mem_image_format(&pixels.width, &pixels.height, &pixels.bands, &bits);
    if (pixels.width <= 0 || pixels.height <= 0 || (pixels.bands != 1 && pixels.bands != 3) || bits != 8)
        return WhyUnreadable::damaged;
    pixels.samples.resize(std::size_t(pixels.width) * pixels.height * pixels.bands);
    // LibRaw writes the rows turned by the camera's orientation, so the pixels come out upright.
    if (const int status = raw.copy_mem_image(pixels.samples.data(), pixels.width * pixels.bands, 0);
        status != LIBRAW_SUCCESS)
        return {WhyUnreadable::damaged, rawSaid(status)};
    raw.recycle();
    return pixels;
}
