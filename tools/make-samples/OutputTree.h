// The folder the generator writes into: refusing to overwrite anything it did not make,
// and giving every file, link and folder a fixed modification time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace samples {

/// Seconds since 1970 UTC of a civil date and time, for fixed file times.
std::int64_t utcSeconds(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

class OutputTree {
public:
    /// Makes `root` ready: creates it when missing, empties it when an earlier run of this tool
    /// made it (its marker file is there), and refuses with std::runtime_error a folder that
    /// holds anything else, so that user data is never clobbered.
    explicit OutputTree(std::filesystem::path root);

    const std::filesystem::path& root() const { return root_; }

    /// Writes `bytes` to `rel` (folders created as needed) and sets its modification time.
    /// Safe to call from several threads for different files whose folders already exist.
    void writeFile(std::string_view rel, std::string_view bytes, std::int64_t mtime) const;
    void createFolder(std::string_view rel) const;
    /// A symbolic link at `rel` pointing at `target` (relative to the link's folder).
    void writeSymlink(std::string_view rel, std::string_view target, std::int64_t mtime) const;
    /// Gives every folder of the tree, the root included, the modification time `mtime`; called
    /// last, because writing into a folder changes its time.
    void stampFolders(std::int64_t mtime) const;

    /// Name of the hidden file that marks a folder as made by this tool.
    static constexpr std::string_view markerName = ".kestova-samples";

private:
    std::filesystem::path root_;
};

} // namespace samples
