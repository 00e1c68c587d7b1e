// Which thumbnails exist, learned by listing their folders rather than by one lookup per photo.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ThumbIndex {
public:
    /// The files of `thumbDir`'s two-character folders named <key><extension>.
    explicit ThumbIndex(std::filesystem::path thumbDir, std::string extension = ".jpg")
        : thumbDir(std::move(thumbDir)), extension(std::move(extension))
    {
    }

    /// Whether thumbs/<first two characters>/<key>.jpg exists as a file. Lists each
    /// two-character folder once, on first need: safe on several threads at once only after
    /// listAll().
    bool has(std::string_view key);
    /// Lists every folder now, so that no later lookup waits on the disk.
    void listAll();

private:
    std::filesystem::path thumbDir;
    std::string extension;
    /// Per two-character folder, by the value of its two hexadecimal digits, the keys of its
    /// files named <key><extension>, sorted, each as the number its 16 digits spell: a key is
    /// always 16 lower-case hexadecimal digits, and a million of them take 8 MB so.
    std::array<std::optional<std::vector<std::uint64_t>>, 256> folders;
    std::vector<std::uint64_t>& listed(unsigned folder);
};
