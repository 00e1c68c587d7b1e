// Which thumbnails exist, learned by listing their folders rather than by one lookup per photo.
#pragma once

#include <filesystem>
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
    std::filesystem::path thumbDir;
    std::string extension;
    std::unordered_map<std::string, std::unordered_set<std::string>> folders;
};
