// A cheap fingerprint of a file's content, for telling true copies from files that merely
// share a name and a size.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace ContentSample {

/// Bytes read from each of the start, the middle and the end of a larger file. Scans and raw
/// files of one size share their headers, and often blank borders at the start and the end;
/// the middle holds the picture.
constexpr std::int64_t blockSize = 16 * 1024;

/// SHA-256 of the whole file when it is at most three blocks long, else of its three blocks;
/// nothing when it cannot be read or its size is no longer `size`.
std::optional<std::string> of(const std::filesystem::path& file, std::int64_t size);

/// Whether both files are regular files of `size` bytes that hold the same bytes; read side by
/// side until the first difference. False when either cannot be read.
bool same(const std::filesystem::path& a, const std::filesystem::path& b, std::int64_t size);

} // namespace ContentSample
