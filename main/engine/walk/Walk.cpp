// The walk: every photo file below the root, with junk, system and output folders pruned.
#include "engine/walk/Walk.h"

#include "engine/base/JobErrors.h"
#include "engine/walk/PhotoKinds.h"

#include "engine/base/AsciiText.h"
#include "engine/wall/WallFolder.h"
#include "engine/base/DirStream.h"
#include "engine/walk/SystemMounts.h"
#include "engine/walk/WalkWatch.h"
#include "engine/wall/WallFiles.h"

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
#include <memory>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {

/// The folders of a Linux system's own software and state, skipped when the root is "/". The
/// kernel's file systems (/proc, /sys, /dev, /run) are told by their type wherever they are.
const std::unordered_set<std::string>& topLevelSystemFolders()
{
    static const std::unordered_set<std::string> set{"bin",  "boot", "etc", "lib",  "lib32", "lib64",
                                                     "libx32", "opt", "sbin", "snap", "usr",   "var"};
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

unsigned char typeOf(mode_t mode)
{
    return S_ISDIR(mode) ? DT_DIR : S_ISLNK(mode) ? DT_LNK : S_ISREG(mode) ? DT_REG : S_ISFIFO(mode) ? DT_FIFO
           : S_ISSOCK(mode) ? DT_SOCK : S_ISCHR(mode) ? DT_CHR : S_ISBLK(mode) ? DT_BLK : DT_UNKNOWN;
}

struct Item {
    std::string name;
    unsigned char type;
    ino_t inode;
    bool photo = false; ///< not a folder, and named as a photo or a video
    bool haveStat = false;
    // Of a stat'ed item, what its entry keeps.
    mode_t mode = 0;
    std::int64_t size = 0;
    std::int64_t mtime = 0; ///< whole seconds
    std::int64_t ctimeNs = 0;
};

/// Whether a name has a photo or video extension and is not hidden: only such files are looked
/// at closer.
bool photoName(std::string_view name)
{
    if (name.empty() || name.front() == '.')
        return false;
    const std::string ext = AsciiText::lowerExtension(name);
    return PhotoKinds::imageExt().contains(ext) || PhotoKinds::videoExt().contains(ext);
}

/// Whether `a`'s path comes before `b`'s in byte order, where a folder's name is followed by
/// "/" in the paths of everything inside it: "a b/", "a.jpg", "a/".
bool inPathOrder(const Item& a, const Item& b)
{
    const std::size_t common = std::min(a.name.size(), b.name.size());
    if (const int c = std::char_traits<char>::compare(a.name.data(), b.name.data(), common); c != 0)
        return c < 0;
    const auto next = [common](const Item& item) {
        // What follows the shared part: a character of the name, "/" after a folder's, or nothing.
        return item.name.size() > common ? int(static_cast<unsigned char>(item.name[common]))
               : item.type == DT_DIR     ? int('/')
                                         : -1;
    };
    return next(a) < next(b);
}

/// Whether a path is longer than the system lets a program name a file by: such a folder cannot
/// be opened, nor such a photo decoded or linked from the page.
bool tooLong(std::size_t pathLength)
{
    return pathLength >= PATH_MAX;
}

/// One folder's items, and whether they make it a wall.
struct Folder {
    std::vector<Item> items;
    bool isWall = false;
    dev_t device = 0; ///< the file system it lies on
};

/// A folder's read: its items, or why there are none.
struct FolderRead {
    std::optional<Folder> folder;
    int error = 0;            ///< errno when the folder could not be opened
    bool systemMount = false; ///< one of the kernel's own file systems, never walked
};

/// The items of one folder in the order the file system delivers them, read in one go so that
/// no descriptor stays open while the walk goes deeper (a deep tree would run out of them).
/// Files with photo names, and entries of no known type, are stat'ed here, relative to the open
/// folder, which spares the kernel a walk down the whole path for each of them. Every call that
/// may block on a file system that does not answer is made here, as one step of the walk.
FolderRead readFolder(const std::string& path, bool followLink, std::optional<dev_t> parentDevice, WalkWatch& watch)
{
    FolderRead read;
    // Below the root a folder that was swapped for a link since its parent was read is not entered.
    DirStream dir(path, followLink ? 0 : O_NOFOLLOW);
    struct stat self{};
    if (!dir || fstat(dir.fd(), &self) != 0) {
        read.error = errno;
        return read;
    }
    // Another file system begins only where the device changes, so its type is asked of the
    // kernel at mount points alone and the walk of an ordinary tree costs no more.
    if (parentDevice && self.st_dev != *parentDevice && SystemMounts::isSystemMount(dir.fd(), path)) {
        read.systemMount = true;
        return read;
    }
    Folder& folder = read.folder.emplace();
    folder.device = self.st_dev;
    WallFolder::Signs signs;
    while (const dirent* e = dir.next()) {
        const char* n = e->d_name;
        Item item{n, e->d_type, e->d_ino};
        item.photo = item.type != DT_DIR && photoName(item.name);
        if (item.type == DT_UNKNOWN || (item.type == DT_REG && item.photo)) {
            struct stat st{};
            item.haveStat = fstatat(dir.fd(), n, &st, AT_SYMLINK_NOFOLLOW) == 0;
            if (item.haveStat) {
                item.type = typeOf(st.st_mode);
                item.mode = st.st_mode;
                item.size = st.st_size;
                item.mtime = wholeSeconds(st.st_mtim);
                item.ctimeNs = std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
                item.inode = st.st_ino;
            }
        }
        signs.note(item.name, item.type == DT_DIR || item.type == DT_UNKNOWN, item.type == DT_REG || item.type == DT_UNKNOWN);
        folder.items.push_back(std::move(item));
        // Told now and then, not per entry: progress only has to be seen within the stall limit.
        if ((folder.items.size() & 63) == 0)
            watch.stepProgress();
    }
    folder.isWall = signs.isWall();
    // In the order of the paths below: the photos are then found in the order the list of the
    // wall's photos is sorted by, and which of two equal copies is kept no longer depends on
    // the order a file system lists a folder in.
    std::vector<std::uint32_t> order(folder.items.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Numbers are sorted rather than the items themselves, each of which then moves once.
    std::sort(order.begin(), order.end(),
              [&items = folder.items](std::uint32_t a, std::uint32_t b) { return inPathOrder(items[a], items[b]); });
    std::vector<Item> sorted;
    sorted.reserve(order.size());
    for (const std::uint32_t i : order)
        sorted.push_back(std::move(folder.items[i]));
    folder.items = std::move(sorted);
    return read;
}

/// The output folder, and its thumbs folder for a wall written into the source itself, known
/// also by identity, so that they are recognised when the root or the output folder was named
/// through a symbolic link.
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

/// One folder being walked: its items, and the next to look at.
struct Frame {
    std::string rel; // "" for the root, else "a/b/"
    std::vector<Item> items;
    bool isWall = false;
    dev_t device = 0;
    std::size_t next = 0;
};

/// A walk, shared by its walkers and the thread that waits for them (see WalkWatch for whose
/// the walk's data are when).
struct WalkState {
    explicit WalkState(WalkWatch::Limits limits) : watch(limits) {}
    WalkWatch watch;
    // Settled before the first walker starts, then only read.
    std::string prefix; ///< what every item's path starts with; rel is what follows it
    std::vector<Place> wallFolders;
    bool rootIsSystemRoot = false;
    bool rootIsHome = false;
    // The walk so far.
    bool started = false; ///< the root has been read, or given up on
    std::vector<Frame> stack;
    WalkResult result;
};

} // namespace

std::vector<FileEntry> scan(const WalkSettings& settings)
{
    return walk(settings).entries;
}

namespace {

/// Walks on from where the walk is, on a thread of its own, as walker number `walker`. Ends at
/// once, touching nothing, when it is left behind. Asks `job`'s stop flag and nothing else of
/// it, and only while it is the current walker.
void walkOn(WalkState& s, int walker, const WalkSettings& job)
{
    std::vector<FileEntry>& found = s.result.entries;
    const auto step = [&](const std::string& rel, const std::string& path, bool followLink,
                          std::optional<dev_t> parentDevice) -> std::optional<FolderRead> {
        s.watch.beginStep(walker, rel);
        FolderRead read = readFolder(path, followLink, parentDevice, s.watch);
        if (!s.watch.endStep(walker))
            return std::nullopt;
        return read;
    };

    if (!s.started) {
        auto top = step("", s.prefix, /*followLink=*/true, std::nullopt);
        if (!top)
            return;
        s.started = true;
        if (!top->folder) {
            s.result.rootUnreadable = true;
            return; // the walk cannot start: no list, no report
        }
        s.stack.push_back({"", std::move(top->folder->items), top->folder->isWall, top->folder->device, 0});
    }
    if (s.result.rootUnreadable)
        return; // the root never answered

    using Clock = std::chrono::steady_clock;
    auto lastReport = Clock::time_point::min();

    // Depth-first, each folder before its contents, as a stack of folders being read.
    while (!s.stack.empty()) {
        Frame& frame = s.stack.back();
        if (frame.next == frame.items.size()) {
            s.stack.pop_back();
            continue;
        }
        Item item = std::move(frame.items[frame.next++]);
        const bool parentIsWall = frame.isWall;
        const dev_t parentDevice = frame.device;
        const bool atTop = frame.rel.empty();

        if (job.cancelled && job.cancelled())
            throw JobCancelled();
        // Most items of a drive are files that are no photos: drop them before any path is built.
        if ((item.type == DT_REG || item.type == DT_LNK) && !item.haveStat && !item.photo)
            continue;
        const unsigned char type = item.type;
        if (type == DT_LNK)
            continue; // links are never followed and never listed
        if (type == DT_FIFO || type == DT_SOCK || type == DT_CHR || type == DT_BLK)
            continue; // opening a pipe or a device named like a photo would block the run

        std::string rel = frame.rel + item.name; // `frame` may move once a folder is entered below
        const std::string& name = item.name;
        if (type == DT_DIR) {
            const std::string path = s.prefix + rel;
            if (name.front() == '.')
                continue;
            if (PhotoKinds::skipDirs().contains(name) || name.ends_with(".sparsebundle"))
                continue;
            if (std::ranges::any_of(s.wallFolders, [&](const Place& place) { return place.is(path, item.inode); }))
                continue;
            // A wall's thumbnails, previews, clips and data are never photos: those of this wall
            // when it lies in the source itself, and those of any other wall built inside the source.
            if (parentIsWall && WallFiles::isWallFolder(name))
                continue;
            if (atTop) {
                if (s.rootIsSystemRoot && topLevelSystemFolders().contains(name))
                    continue;
                if (s.rootIsHome && name == "Library")
                    continue;
            }
            if (PhotoKinds::isJunk("/" + rel + "/"))
                continue;
            if (tooLong(path.size())) {
                ++s.result.tooLong;
                continue;
            }
            const auto read = step(rel, path, /*followLink=*/false, parentDevice);
            if (!read)
                return;
            // A folder that cannot be read is passed over; unless it has merely vanished (or
            // was swapped for a link), its photos are unknown rather than gone.
            if (read->folder)
                s.stack.push_back({rel + "/", std::move(read->folder->items), read->folder->isWall, read->folder->device, 0});
            else if (!read->systemMount && read->error != ENOENT && read->error != ENOTDIR && read->error != ELOOP)
                s.result.unreadableFolders.push_back(rel);
            continue;
        }

        // Anything else is treated as a file.
        if (!item.photo)
            continue;
        if (tooLong(s.prefix.size() + rel.size())) { // the path itself is not needed
            ++s.result.tooLong;
            continue;
        }
        // The junk test of a file needs no pattern run: every branch of the pattern ends in "/",
        // so a match lies within the folders of the path, and each of those passed the same test
        // when the walk entered it.

        FileEntry entry{std::move(rel), 0, 0};
        if (item.haveStat) {
            if (!S_ISREG(item.mode))
                continue; // replaced by a link or a pipe since the folder was read
            entry.size = item.size;
            entry.mtime = item.mtime;
            entry.ctimeNs = item.ctimeNs;
            entry.inode = std::int64_t(item.inode);
        }
        found.push_back(std::move(entry));

        const auto now = Clock::now();
        if (lastReport == Clock::time_point::min() || now - lastReport > std::chrono::milliseconds(150)) {
            lastReport = now;
            if (!s.watch.report(walker, static_cast<std::int64_t>(found.size())))
                return;
        }
    }
    s.watch.report(walker, static_cast<std::int64_t>(found.size()));
}

} // namespace

WalkResult walk(const WalkSettings& settings)
{
    const fs::path& root = settings.root;
    const fs::path& out = settings.wall;
    const auto s = std::make_shared<WalkState>(
        WalkWatch::Limits{std::chrono::milliseconds(150), settings.stallLimit, settings.stopLimit});
    // The prefix every item's path starts with. The walk builds each path from this prefix, so
    // an item always starts with it, even when the root is reached through a symbolic link.
    s->prefix = root.string();
    if (s->prefix.empty() || s->prefix.back() != '/')
        s->prefix += '/';
    s->wallFolders.emplace_back(standardPath(out));
    for (const std::string_view name : WallFiles::folders)
        s->wallFolders.emplace_back(standardPath(out / name));
    const std::string rootPath = standardPath(root);
    s->rootIsSystemRoot = rootPath == "/";
    const std::string home = homeFolder();
    s->rootIsHome = !home.empty() && rootPath == standardPath(home);
    s->result.entries.reserve(settings.expectedPhotos);

    // The walk runs on a thread of its own: a folder that never answers holds that thread
    // alone, which is left behind (the folder named as unread) while another walks on, and a
    // stop ends the walk at once.
    std::thread walker;
    // False when no thread is to be had (the user's limit of processes): the rest of the walk
    // then runs here, unwatched, as it did before it had a thread of its own.
    const auto start = [&] {
        try {
            // A walker left behind keeps its own copy of the settings.
            walker = std::thread([s, self = s->watch.current(), settings] {
                std::exception_ptr error;
                try {
                    walkOn(*s, self, settings);
                } catch (...) {
                    error = std::current_exception();
                }
                s->watch.finish(self, error);
            });
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    };
    const auto walkHere = [&] {
        s->watch.reportAtOnce([&settings](std::int64_t found) {
            if (settings.onFound)
                settings.onFound(found);
        });
        walkOn(*s, s->watch.current(), settings);
        return std::move(s->result);
    };
    if (!start())
        return walkHere();
    try {
        while (true) {
            switch (s->watch.wait([&settings] { return settings.cancelled && settings.cancelled(); })) {
            case WalkWatch::Event::report:
                if (settings.onFound)
                    settings.onFound(s->watch.pendingReport());
                s->watch.reported();
                break;
            case WalkWatch::Event::finished:
                walker.join();
                if (const auto error = s->watch.error())
                    std::rethrow_exception(error);
                return std::move(s->result);
            case WalkWatch::Event::stalled: {
                walker.detach();
                const std::string rel = s->watch.leaveBehind();
                if (s->started)
                    s->result.unreadableFolders.push_back(rel);
                else
                    s->result.rootUnreadable = s->started = true;
                if (!start())
                    return walkHere();
                break;
            }
            case WalkWatch::Event::stopOverdue:
                throw JobCancelled();
            }
        }
    } catch (...) {
        if (walker.joinable()) {
            s->watch.leaveBehind();
            walker.detach();
        }
        throw;
    }
}
