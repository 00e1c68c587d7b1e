// The fingerprint of this build: the program file and the decoders' versions.
#include "engine/internal/BuildFingerprint.h"

#include <exiv2/exiv2.hpp>
#include <libraw/libraw.h>
#include <vips/vips.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <sys/stat.h>

namespace BuildFingerprint {

std::string current()
{
    std::string text = "kestova";
    // The program file changes with every build and every installed update.
    struct stat st{};
    if (stat("/proc/self/exe", &st) == 0)
        text += " " + std::to_string(st.st_size) + "-" + std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    text += std::string(" vips ") + vips_version_string();
    text += " exiv2 " + Exiv2::versionString();
    text += std::string(" libraw ") + LibRaw::version();
    text += " avformat " + std::to_string(avformat_version()) + " avcodec " + std::to_string(avcodec_version());
    return text;
}

} // namespace BuildFingerprint
