// Whole-file writes that readers see either complete or not at all.
#pragma once

#include "engine/base/JobErrors.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace AtomicFile {

/// Writes bytes to a new hidden file in the target's folder (".<name>.<pid>.XXXXXX"), flushes it to disk and renames it
/// over target. On failure nothing is left behind and the error names the file and the fault.
/// A link planted at target is replaced, never followed.
std::optional<JobError> write(const std::filesystem::path& target, std::string_view bytes);

/// The whole content of a regular file, or nothing when it cannot be read.
std::optional<std::string> read(const std::filesystem::path& file);

} // namespace AtomicFile
