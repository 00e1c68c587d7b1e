// One photo file found by the walk.
#pragma once

#include <cstdint>
#include <string>

struct FileEntry {
    /// Path relative to the source, "/" between folders, no leading "/". Raw bytes as the file
    /// system gave them: a name need not be valid UTF-8.
    std::string rel;
    /// Bytes; 0 when not available.
    std::int64_t size = 0;
    /// Content modification time, whole seconds since 1970 UTC (truncated toward zero); 0 when not available.
    std::int64_t mtime = 0;
    /// For a still that is a live photo: the rel of its motion clip, the short video of the same
    /// name beside it. Set after the walk, when stills and videos are paired.
    std::string motion;
    /// The status change time in nanoseconds since 1970 and the inode number: an edit in place
    /// that keeps the size and the modification time (exiftool -P) still changes them. 0 when
    /// not available.
    std::int64_t ctimeNs = 0;
    std::int64_t inode = 0;

    friend bool operator==(const FileEntry&, const FileEntry&) = default;
};
