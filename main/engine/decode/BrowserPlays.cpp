// Which videos the wall plays as they are: known from the name and the codec alone, without
// FFmpeg, so that an update that copies nothing never loads it.
#include "engine/decode/VideoCopy.h"

#include "engine/base/AsciiText.h"

namespace VideoCopy {

bool browserPlays(std::string_view rel, std::string_view codec)
{
    const std::string ext = AsciiText::lowerExtension(rel);
    const bool mp4 = ext == "mp4" || ext == "mov" || ext == "m4v" || ext == "3gp";
    const bool webm = ext == "webm" || ext == "mkv";
    if (mp4)
        return codec == "h264" || codec == "vp9" || codec == "av1";
    if (webm)
        return codec == "vp8" || codec == "vp9" || codec == "av1";
    return false;
}

} // namespace VideoCopy
