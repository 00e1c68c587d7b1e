// What processing one photo gave.
#pragma once

#include "engine/CacheRecord.h"

#include <optional>

struct PhotoResult {
    /// Nothing when the photo could not be read or changed while it was read.
    std::optional<CacheRecord> record;
    /// The file was deleted, replaced or written to while it was read: neither unreadable nor
    /// done, it is left for the next run.
    bool changed = false;
};
