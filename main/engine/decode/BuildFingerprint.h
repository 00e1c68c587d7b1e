// What a build of the program is: the engine's release, and with it the decoders' versions.
#pragma once

#include <string>

namespace BuildFingerprint {

/// The engine's version and revision: what decides how a wall is written from its records.
/// Known without loading the decoders.
std::string engine();

/// engine() and the decoders' versions: what decides how a photo is decoded. Loads the
/// decoders where a program loads them on first use.
std::string current();

} // namespace BuildFingerprint
