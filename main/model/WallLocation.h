// Where a wall is written and what it is called: the desktop's answers the model builds on.
#pragma once

#include <QString>

#include <filesystem>

namespace WallLocation {

/// The user's pictures folder (XDG_PICTURES_DIR), else ~/Pictures.
std::filesystem::path picturesDir();
/// The name under which the desktop shows a folder: a mounted volume's label when it has one,
/// else the folder's own name; empty when there is neither.
QString displayName(const std::filesystem::path& path);
/// Whether this process may create files in the folder now (a read-only mount says no, even
/// to root).
bool isWritable(const std::filesystem::path& path);
/// "." and ".." resolved as text, made absolute against the working folder, no trailing "/".
/// Symbolic links are kept as they are.
std::filesystem::path standardized(const std::filesystem::path& path);

} // namespace WallLocation
