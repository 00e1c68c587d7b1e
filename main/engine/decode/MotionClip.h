// The video a phone's "motion photo" carries after its picture, found and copied out into the wall.
#pragma once

#include "engine/base/FileSpan.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace MotionClip {

/// Clips larger than this are left where they are: a phone's few seconds take a few megabytes,
/// and a number this large in a packet is more likely damage than a clip.
inline constexpr std::uint64_t largestClip = std::uint64_t(256) << 20;

/// Where `photo`'s clip lies: the last `xmpLength` bytes, the length its XMP packet gives
/// (Android's container directory); else, when those give none, the MotionPhoto_Data record of
/// the trailer Samsung's phones append. Either is taken only when it lies inside the file,
/// after its first byte, holds at least 16 bytes and at most largestClip, and begins as an MP4
/// or QuickTime file begins (a 'ftyp' box), which is what tells a clip from metadata left
/// behind by an editor that dropped it. Nothing when neither is, or the file cannot be read.
std::optional<FileSpan> locate(const std::filesystem::path& photo, std::optional<std::uint64_t> xmpLength);

/// Copies the `span` of `photo` to `clip` when it is still a clip as locate() takes one. False,
/// with nothing promised about `clip`, when it is not or a read or write fails. `clip` is
/// created anew and never followed when it is a link.
bool extract(const std::filesystem::path& photo, FileSpan span, const std::filesystem::path& clip);

} // namespace MotionClip
