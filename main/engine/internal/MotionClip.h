// The video an Android "motion photo" carries after its JPEG, copied out into the wall.
#pragma once

#include <cstdint>
#include <filesystem>

namespace MotionClip {

/// Clips larger than this are left where they are: a phone's few seconds take a few megabytes,
/// and a number this large in a packet is more likely damage than a clip.
inline constexpr std::uint64_t largestClip = std::uint64_t(256) << 20;

/// Copies the last `length` bytes of `photo` to `clip` when they begin as an MP4 or QuickTime
/// file begins (a 'ftyp' box), which is what tells a clip from metadata left behind by an editor
/// that dropped it. False, with nothing promised about `clip`, when they do not or a read or
/// write fails. `clip` is created anew and never followed when it is a link.
bool extract(const std::filesystem::path& photo, std::uint64_t length, const std::filesystem::path& clip);

} // namespace MotionClip
