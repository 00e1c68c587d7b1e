// Writing the generated tree to disk.
#include "OutputTree.h"

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>

namespace samples {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view markerText =
    "Sample photos written by kestova-make-samples. The whole folder is replaced on its next run.\n";

// Fixed time of the marker file itself: 2024-12-31 12:00:00 UTC.
constexpr std::int64_t markerTime = 1735646400;

void setTimes(const fs::path& path, std::int64_t mtime)
{
    const timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw fs::filesystem_error("cannot set the modification time", path,
                                   std::error_code(errno, std::generic_category()));
}

void writeBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw fs::filesystem_error("cannot write file", path, std::error_code(errno, std::generic_category()));
}

} // namespace

std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second)
{
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / month / day};
    return date.time_since_epoch().count() * std::int64_t{86400} + hour * 3600 + minute * 60 + second;
}

OutputTree::OutputTree(fs::path root) : root_(std::move(root))
{
    const fs::path marker = root_ / markerName;
    if (fs::is_directory(fs::symlink_status(root_))) {
        const bool empty = fs::is_empty(root_);
        if (!empty && !fs::is_regular_file(fs::symlink_status(marker)))
            throw std::runtime_error("refusing to write into " + root_.string() +
                                     ": the folder is not empty and was not made by kestova-make-samples");
        // Everything here came from an earlier run (the marker says so); links are removed,
        // never followed.
        for (const fs::directory_entry& entry : fs::directory_iterator(root_))
            fs::remove_all(entry.path());
    } else if (fs::exists(fs::symlink_status(root_))) {
        throw std::runtime_error("refusing to write into " + root_.string() + ": it exists and is not a folder");
    } else {
        fs::create_directories(root_);
    }
    // The marker goes first, so that a run cut short can simply be repeated.
    writeFile(markerName, markerText, markerTime);
}

void OutputTree::writeFile(std::string_view rel, std::string_view bytes, std::int64_t mtime) const
{
    const fs::path path = root_ / fs::path(rel);
    fs::create_directories(path.parent_path());
    writeBytes(path, bytes);
    setTimes(path, mtime);
}

void OutputTree::createFolder(std::string_view rel) const
{
    fs::create_directories(root_ / fs::path(rel));
}

void OutputTree::writeSymlink(std::string_view rel, std::string_view target, std::int64_t mtime) const
{
    const fs::path path = root_ / fs::path(rel);
    fs::create_directories(path.parent_path());
    fs::create_symlink(fs::path(target), path);
    setTimes(path, mtime);
}

void OutputTree::stampFolders(std::int64_t mtime) const
{
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root_)) {
        if (entry.is_directory() && !entry.is_symlink())
            setTimes(entry.path(), mtime);
    }
    setTimes(root_, mtime);
}

} // namespace samples
