// What a build of the program is: the engine's release, and with it the decoders' versions.
#pragma once

#include <string>

namespace BuildFingerprint {

/// The engine's version and revision: what decides how a wall is written from its records.
/// Known without loading the decoders.
std::string engine();

/// engine() and the versions of the image and video libraries it runs with: what decides how
/// a photo is decoded, the same for every program of one build. A photo passed over for
/// crashing a decoder is tried again once this changes: an update of the engine or of a
/// library may have mended the crash. Loads the decoders where a program loads them on first
/// use.
std::string current();

} // namespace BuildFingerprint
