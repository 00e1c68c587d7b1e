// Dates::fromPath for the many photos of a drive, each folder's part worked out once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace Dates {

/// Gives exactly what fromPath gives, for path after path. A drive has thousands of photos in
/// each folder, and fromPath reads the folders again for each of them: this remembers each
/// folder's evidence instead. Not thread-safe: one per thread.
class PathDates {
public:
    using Date = std::optional<std::pair<std::int64_t, std::string>>;

    Date fromPath(std::string_view path);

private:
    const Date& folderDate(std::string_view folder);

    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };
    // Paths of one folder need not come together, so every folder seen is kept.
    std::unordered_map<std::string, Date, Hash, std::equal_to<>> folders;
};

} // namespace Dates
