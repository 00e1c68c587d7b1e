// Which thumbnails exist, learned by listing their folders rather than by one lookup per photo.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

class ThumbIndex {
public:
    /// The files of `thumbDir`'s two-character folders named <key><extension>.
    explicit ThumbIndex(std::filesystem::path thumbDir, std::string extension = ".jpg")
        : thumbDir(std::move(thumbDir)), extension(std::move(extension))
    {
    }

    /// Whether thumbs/<first two characters>/<key>.jpg exists as a file. Lists each
    /// two-character folder once, on first need. Not thread-safe.
    bool has(std::string_view key);

private:
    /// Looks names up by view, so that a lookup makes no string of its own.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const noexcept { return std::hash<std::string_view>{}(name); }
    };
    using Names = std::unordered_set<std::string, NameHash, std::equal_to<>>;

    std::filesystem::path thumbDir;
    std::string extension;
    /// Per two-character folder, the keys of its files named <key><extension>.
    std::unordered_map<std::string, Names, NameHash, std::equal_to<>> folders;
};
