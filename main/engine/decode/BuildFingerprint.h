// What tells one build of the program and its decoders from another.
#pragma once

#include <string>

namespace BuildFingerprint {

/// The engine's version (and the revision it was built from, when known) and the versions of
/// the image and video libraries it runs with; the same for every program of one build. A
/// photo passed over for crashing a decoder is tried again once this changes: an update of
/// the engine or of a library may have mended the crash.
std::string current();

} // namespace BuildFingerprint
