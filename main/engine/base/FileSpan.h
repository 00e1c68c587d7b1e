// A run of bytes inside a file: where it starts and how long it is.
#pragma once

#include <cstdint>

struct FileSpan {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;

    bool operator==(const FileSpan&) const = default;
};
