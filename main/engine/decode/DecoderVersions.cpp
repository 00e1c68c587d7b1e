// The fingerprint of this build: the engine's version and the decoders' versions.
#include "engine/decode/BuildFingerprint.h"

#include <exiv2/exiv2.hpp>
#include <libheif/heif.h>
#include <libraw/libraw.h>
#include <vips/vips.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace BuildFingerprint {

std::string current()
{
    // Only what decides how a photo is decoded: every program of one build (the window and the
    // command line) shares the record of photos that crashed a decoder, and a new release of
    // the engine or of a library tries them again.
    std::string text = engine();
    text += std::string(" vips ") + vips_version_string();
    text += std::string(" heif ") + heif_get_version();
    text += " exiv2 " + Exiv2::versionString();
    text += std::string(" libraw ") + LibRaw::version();
    text += " avformat " + std::to_string(avformat_version()) + " avcodec " + std::to_string(avcodec_version());
    return text;
}

} // namespace BuildFingerprint
