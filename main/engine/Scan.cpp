// The walk: every photo file below the root, with junk, system and output folders pruned.
#include "engine/Indexer.h"

#include "engine/internal/AsciiText.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

struct Directory {
    explicit Directory(int fd) : stream(fd >= 0 ? fdopendir(fd) : nullptr)
    {
        if (fd >= 0 && !stream)
            close(fd);
    }
    ~Directory()
    {
        if (stream)
            closedir(stream);
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    DIR* stream;
};

struct Item {
    std::string name;
    unsigned char type;
    ino_t inode;
    bool haveStat = false;
    struct stat st{};
};

/// Whether a name has a photo extension and is not hidden: only such files are looked at closer.
bool photoName(std::string_view name)
{
    return !name.empty() && name.front() != '.' && Indexer::imageExt().contains(AsciiText::lowerExtension(name));
}

/// The items of one folder in the order the file system delivers them, read in one go so that
/// no descriptor stays open while the walk goes deeper (a deep tree would run out of them).
/// Files with photo names are stat'ed here, relative to the open folder, which spares the
/// kernel a walk down the whole path for each of them.
std::optional<std::vector<Item>> readFolder(const std::string& path, bool followLink = false)
{
    // Below the root a folder that was swapped for a link since its parent was read is not entered.
    Directory dir(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
    if (!dir.stream)
        return std::nullopt;
    std::vector<Item> items;
    while (const dirent* e = readdir(dir.stream)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        Item item{n, e->d_type, e->d_ino};
        if ((item.type == DT_REG || item.type == DT_UNKNOWN) && photoName(item.name)) {
            item.haveStat = fstatat(dirfd(dir.stream), n, &item.st, AT_SYMLINK_NOFOLLOW) == 0;
            if (item.haveStat)
                item.type = S_ISDIR(item.st.st_mode) ? DT_DIR : S_ISLNK(item.st.st_mode) ? DT_LNK : DT_REG;
        }
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace

std::vector<FileEntry> Indexer::scan() const
{
    std::vector<FileEntry> found;

    // The prefix every item's path starts with; rel is what follows it. The walk builds each
    // path from this prefix, so an item always starts with it, even when the root is reached
    // through a symbolic link.
    std::string prefix = root.string();
    if (prefix.empty() || prefix.back() != '/')
        prefix += '/';

    std::optional<std::vector<Item>> top = readFolder(prefix, /*followLink=*/true);
    if (!top)
        return found; // the walk cannot start: no list, no report

    const std::string outPath = standardPath(out);
    // The output folder is also known by identity, so it is recognised when the root or the
    // output folder was named through a symbolic link.
    struct stat outStat{};
    const bool outKnown = stat(outPath.c_str(), &outStat) == 0 && S_ISDIR(outStat.st_mode);
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
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({"", std::move(*top), 0});

    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.items.size()) {
            stack.pop_back();
            continue;
        }
        Item item = std::move(frame.items[frame.next++]);
        const std::string parentRel = frame.rel; // frame may move when the stack grows

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
            if (path == outPath)
                continue;
            if (outKnown && item.inode == outStat.st_ino) {
                struct stat dirStat{};
                if (lstat(path.c_str(), &dirStat) == 0 && dirStat.st_dev == outStat.st_dev
                    && dirStat.st_ino == outStat.st_ino)
                    continue;
            }
            if (parentRel.empty()) {
                if (rootIsSystemRoot && topLevelSystemFolders().contains(name))
                    continue;
                if (rootIsHome && name == "Library")
                    continue;
            }
            if (isJunk("/" + rel + "/"))
                continue;
            // A folder that cannot be read (no permission, vanished) is passed over.
            if (auto items = readFolder(path))
                stack.push_back({rel + "/", std::move(*items), 0});
            continue;
        }

        // Anything else is treated as a file.
        if (!photoName(name))
            continue;
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
    return found;
}
