// Which files are photos and videos, and which names the walk passes by: constant tables,
// built once on first use and shared by every run.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace PhotoKinds {

/// Whether a path (with its leading and trailing "/") lies in or names something no wall shows:
/// system files, caches, thumbnails of other programs.
bool isJunk(std::string_view path);
/// The photo extensions, lower case: those below and the usual image formats.
const std::unordered_set<std::string>& imageExt();
/// The camera raw extensions, lower case: these photos are developed by LibRaw.
const std::unordered_set<std::string>& rawExt();
/// Folders never entered, among them the wall folder that a source usually holds.
const std::unordered_set<std::string>& skipDirs();
const std::unordered_set<std::string>& videoExt();
/// Whether the name has one of videoExt().
bool isVideo(std::string_view rel);
/// Whether the name is of a format browsers do not show (HEIF, TIFF, camera raw), whose
/// photos get a preview.
bool wantsPreview(std::string_view rel);

} // namespace PhotoKinds
