// The walk: every photo file below the root, with junk, system and output folders pruned.
#include "engine/Indexer.h"

#include "engine/internal/AsciiText.h"
#include "engine/internal/WallFolder.h"
#include "engine/internal/DirStream.h"
#include "engine/internal/WallFiles.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;

namespace {

const std::unordered_set<std::string>& topLevelSystemFolders()
{
    static const std::unordered_set<std::string> set{
        "System", "Library", "private", "usr", "bin", "sbin", "cores", "opt", "Applications", "Volumes", "dev"};
    return set;
}

/// The user's home folder as Qt and GLib read it: $HOME, else the password database.
std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return {};
}

/// The lexically normal form of a path, without a trailing "/" (except for "/" itself).
std::string standardPath(const fs::path& path)
{
    std::string s = path.lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

/// Whole seconds toward zero: a file at -1.5 s has mtime -1.
std::int64_t wholeSeconds(const timespec& t)
{
    return t.tv_sec < 0 && t.tv_nsec > 0 ? t.tv_sec + 1 : t.tv_sec;
}

struct Item {
    std::string name;
    unsigned char type;
    ino_t inode;
    bool haveStat = false;
    struct stat st{};
};

/// Whether a name has a photo or video extension and is not hidden: only such files are looked
/// at closer.
bool photoName(std::string_view name)
{
    if (name.empty() || name.front() == '.')
        return false;
    const std::string ext = AsciiText::lowerExtension(name);
    return Indexer::imageExt().contains(ext) || Indexer::videoExt().contains(ext);
}

/// Whether a path is longer than the system lets a program name a file by: such a folder cannot
/// be opened, nor such a photo decoded or linked from the page.
bool tooLong(const std::string& path)
{
    return path.size() >= PATH_MAX;
}

/// One folder's items, and whether they make it a wall.
struct Folder {
    std::vector<Item> items;
    bool isWall = false;
};

/// The items of one folder in the order the file system delivers them, read in one go so that
/// no descriptor stays open while the walk goes deeper (a deep tree would run out of them).
/// Files with photo names are stat'ed here, relative to the open folder, which spares the
/// kernel a walk down the whole path for each of them.
std::optional<Folder> readFolder(const std::string& path, bool followLink = false)
{
    // Below the root a folder that was swapped for a link since its parent was read is not entered.
    DirStream dir(path, followLink ? 0 : O_NOFOLLOW);
    if (!dir)
        return std::nullopt;
    Folder folder;
    WallFolder::Signs signs;
    while (const dirent* e = dir.next()) {
        const char* n = e->d_name;
        Item item{n, e->d_type, e->d_ino};
        if ((item.type == DT_REG || item.type == DT_UNKNOWN) && photoName(item.name)) {
            item.haveStat = fstatat(dir.fd(), n, &item.st, AT_SYMLINK_NOFOLLOW) == 0;
            if (item.haveStat)
                item.type = S_ISDIR(item.st.st_mode) ? DT_DIR : S_ISLNK(item.st.st_mode) ? DT_LNK : DT_REG;
        }
        signs.note(item.name, item.type == DT_DIR || item.type == DT_UNKNOWN, item.type == DT_REG || item.type == DT_UNKNOWN);
        folder.items.push_back(std::move(item));
    }
    folder.isWall = signs.isWall();
    return folder;
}

} // namespace

std::vector<FileEntry> Indexer::scan() const
{
    return walk().entries;
}

WalkResult Indexer::walk() const
{
    WalkResult result;
    std::vector<FileEntry>& found = result.entries;

    // The prefix every item's path starts with; rel is what follows it. The walk builds each
    // path from this prefix, so an item always starts with it, even when the root is reached
    // through a symbolic link.
    std::string prefix = root.string();
    if (prefix.empty() || prefix.back() != '/')
        prefix += '/';

    std::optional<Folder> top = readFolder(prefix, /*followLink=*/true);
    if (!top) {
        result.rootUnreadable = true;
        return result; // the walk cannot start: no list, no report
    }

    // The output folder, and its thumbs folder for a wall written into the source itself, are
    // also known by identity, so they are recognised when the root or the output folder was
    // named through a symbolic link.
    struct Place {
        std::string path;
        struct stat st{};
        bool known = false;
        explicit Place(std::string p) : path(std::move(p)) { known = stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode); }
        bool is(const std::string& other, ino_t inode) const
        {
            if (other == path)
                return true;
            struct stat dirStat{};
            return known && inode == st.st_ino && lstat(other.c_str(), &dirStat) == 0 && dirStat.st_dev == st.st_dev
                   && dirStat.st_ino == st.st_ino;
        }
    };
    std::vector<Place> wallFolders{Place(standardPath(out))};
    for (const std::string_view name : WallFiles::photoFolders)
        wallFolders.emplace_back(standardPath(out / name));
    const std::string rootPath = standardPath(root);
    const bool rootIsSystemRoot = rootPath == "/";
    const std::string home = homeFolder();
    const bool rootIsHome = !home.empty() && rootPath == standardPath(home);

    using Clock = std::chrono::steady_clock;
    auto lastReport = Clock::time_point::min();

    // Depth-first, each folder before its contents, as a stack of folders being read.
    struct Frame {
        std::string rel; // "" for the root, else "a/b/"
        std::vector<Item> items;
        bool isWall = false;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({"", std::move(top->items), top->isWall, 0});

    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.items.size()) {
            stack.pop_back();
            continue;
        }
        Item item = std::move(frame.items[frame.next++]);
        const std::string parentRel = frame.rel; // frame may move when the stack grows
        const bool parentIsWall = frame.isWall;

        if (cancelled())
            throw JobCancelled();
        // Most items of a drive are files that are no photos: drop them before any path is built.
        if ((item.type == DT_REG || item.type == DT_LNK) && !item.haveStat && !photoName(item.name))
            continue;

        const std::string rel = parentRel + item.name;
        const std::string path = prefix + rel;
        const std::string& name = item.name;

        unsigned char type = item.type;
        struct stat st = item.st;
        bool haveStat = item.haveStat;
        if (type == DT_UNKNOWN && !haveStat) {
            haveStat = lstat(path.c_str(), &st) == 0;
            if (haveStat)
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
        }
        if (type == DT_LNK)
            continue; // links are never followed and never listed
        if (type == DT_FIFO || type == DT_SOCK || type == DT_CHR || type == DT_BLK)
            continue; // opening a pipe or a device named like a photo would block the run

        if (type == DT_DIR) {
            if (name.front() == '.')
                continue;
            if (skipDirs().contains(name) || name.ends_with(".sparsebundle"))
                continue;
            if (std::ranges::any_of(wallFolders, [&](const Place& place) { return place.is(path, item.inode); }))
                continue;
            // A wall's thumbnails, previews and clips are never photos: those of this wall when it
            // lies in the source itself, and those of any other wall built inside the source.
            if (parentIsWall && WallFiles::isPhotoFolder(name))
                continue;
            if (parentRel.empty()) {
                if (rootIsSystemRoot && topLevelSystemFolders().contains(name))
                    continue;
                if (rootIsHome && name == "Library")
                    continue;
            }
            if (isJunk("/" + rel + "/"))
                continue;
            if (tooLong(path)) {
                ++result.tooLong;
                continue;
            }
            // A folder that cannot be read is passed over; unless it has merely vanished (or
            // was swapped for a link), its photos are unknown rather than gone.
            if (auto folder = readFolder(path))
                stack.push_back({rel + "/", std::move(folder->items), folder->isWall, 0});
            else if (errno != ENOENT && errno != ENOTDIR && errno != ELOOP)
                result.unreadableFolders.push_back(rel);
            continue;
        }

        // Anything else is treated as a file.
        if (!photoName(name))
            continue;
        if (tooLong(path)) {
            ++result.tooLong;
            continue;
        }
        // The junk test of a file needs no pattern run: every branch of the pattern ends in "/",
        // so a match lies within the folders of the path, and each of those passed the same test
        // when the walk entered it.

        FileEntry entry{rel, 0, 0};
        if (!haveStat)
            haveStat = lstat(path.c_str(), &st) == 0;
        if (haveStat) {
            if (!S_ISREG(st.st_mode))
                continue; // replaced by a link or a pipe since the folder was read
            entry.size = st.st_size;
            entry.mtime = wholeSeconds(st.st_mtim);
            entry.ctimeNs = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
            entry.inode = std::int64_t(st.st_ino);
        }
        found.push_back(std::move(entry));

        const auto now = Clock::now();
        if (lastReport == Clock::time_point::min() || now - lastReport > std::chrono::milliseconds(150)) {
            lastReport = now;
            if (onUpdate)
                onUpdate(JobUpdates::Scanning{static_cast<std::int64_t>(found.size())});
        }
    }

    if (onUpdate)
        onUpdate(JobUpdates::Scanning{static_cast<std::int64_t>(found.size())});
    return result;
}
