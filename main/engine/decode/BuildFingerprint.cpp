// The engine's part of the build's fingerprint.
#include "engine/decode/BuildFingerprint.h"

namespace BuildFingerprint {

std::string engine()
{
    std::string text = "kestova " KESTOVA_ENGINE_VERSION;
    if (const std::string_view revision = KESTOVA_ENGINE_REVISION; !revision.empty())
        text += std::string(" (") + KESTOVA_ENGINE_REVISION + ")";
    return text;
}

} // namespace BuildFingerprint
