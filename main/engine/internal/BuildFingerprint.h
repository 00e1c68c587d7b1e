// What tells one build of the program and its decoders from another.
#pragma once

#include <string>

namespace BuildFingerprint {

/// The program file's size and time and the versions of the image libraries it runs with. A
/// photo passed over for crashing a decoder is tried again once this changes: an update of
/// the program or of a library may have mended the crash.
std::string current();

} // namespace BuildFingerprint
