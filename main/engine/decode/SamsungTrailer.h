// The records Samsung's phones append after a photo, found through the directory at the file's end.
#pragma once

#include "engine/base/FileSpan.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace SamsungTrailer {

/// Directories larger than this are taken for damage: a phone lists a few dozen records, and a
/// directory is read whole.
inline constexpr std::uint64_t largestDirectory = std::uint64_t(64) << 10;

/// The payload of the record called `name` (its bytes after the record's own header and name)
/// in the trailer that ends the open file `fd` of `fileSize` bytes. Nothing when the file ends
/// in no such trailer, no record has that name, or the directory, a record or its name reaches
/// outside the bytes before the directory. Reads only; the payload itself is not checked.
std::optional<FileSpan> record(int fd, std::uint64_t fileSize, std::string_view name);

} // namespace SamsungTrailer
