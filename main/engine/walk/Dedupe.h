// Duplicate collapsing: the copies of a photo that a drive holds in several folders show once.
#pragma once

#include "engine/walk/FileEntry.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

/// A sample of a photo's content, or nothing when it cannot be read; may throw JobCancelled.
using ContentOf = std::function<std::optional<std::string>(const FileEntry&)>;
/// Whether two photos of one size hold the same bytes; may throw JobCancelled.
using SameContent = std::function<bool(const FileEntry&, const FileEntry&)>;
/// One entry per (lower-cased NFC file name, size), the shallowest surviving; sorted by rel.
/// With `contentOf`, entries that share a name and a size collapse only when their samples
/// agree too, and with `sameContent` only when their whole content agrees as well.
std::vector<FileEntry> dedupe(std::vector<FileEntry> entries, const ContentOf& contentOf = nullptr,
                              const SameContent& sameContent = nullptr);
