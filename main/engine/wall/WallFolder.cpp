// Telling a wall's folder by what it holds, and where a wall may not be written.
#include "engine/wall/WallFolder.h"

#include "engine/walk/PhotoKinds.h"
#include "engine/base/AsciiText.h"
#include "engine/base/DirStream.h"
#include "engine/wall/WallFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace fs = std::filesystem;

namespace WallFolder {
namespace {

/// The entry's type, asking the file system only when the listing did not say.
unsigned char typeOf(const DirStream& dir, const dirent* e)
{
    if (e->d_type != DT_UNKNOWN)
        return e->d_type;
    struct stat st{};
    if (fstatat(dir.fd(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    return S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_LNK;
}

struct Contents {
    Signs signs;
    bool photos = false; ///< a photo file lies in the folder or below it
};

/// What a folder holds. Looks below it for a photo until one is found; links are not followed
/// and hidden entries are no photos.
Contents contentsOf(const fs::path& dir)
{
    Contents contents;
    std::vector<std::string> pending{dir.string()};
    bool top = true;
    while (!pending.empty() && !(contents.photos && !top)) {
        const std::string path = std::move(pending.back());
        pending.pop_back();
        DirStream listing(path, top ? 0 : O_NOFOLLOW);
        if (!listing) {
            top = false;
            continue;
        }
        while (const dirent* e = listing.next()) {
            const unsigned char type = typeOf(listing, e);
            const std::string_view name = e->d_name;
            if (top)
                contents.signs.note(name, type == DT_DIR, type == DT_REG);
            // The photo folders of a run stopped before its first save hold JPEGs of the wall's
            // own. The data folder never holds a photo of ours, so one found there is the user's.
            if (name.front() == '.' || (top && WallFiles::isPhotoFolder(name)))
                continue;
            if (type == DT_DIR)
                pending.push_back(path + "/" + e->d_name);
            else if (type == DT_REG && PhotoKinds::imageExt().contains(AsciiText::lowerExtension(name)))
                contents.photos = true;
        }
        top = false;
    }
    return contents;
}

} // namespace

void Signs::note(std::string_view name, bool maybeFolder, bool maybeFile)
{
    if (name == WallFiles::thumbs)
        thumbs = thumbs || maybeFolder;
    else if (name == WallFiles::page)
        page = page || maybeFile;
    else if (name == WallFiles::manifest)
        manifest = manifest || maybeFile;
    else if (name == WallFiles::cache)
        cache = cache || maybeFile;
}

bool isWall(const fs::path& dir)
{
    DirStream listing(dir);
    if (!listing)
        return false;
    Signs signs;
    while (const dirent* e = listing.next()) {
        const unsigned char type = typeOf(listing, e);
        signs.note(e->d_name, type == DT_DIR, type == DT_REG);
    }
    return signs.isWall();
}

std::optional<JobError> refusal(const fs::path& out)
{
    std::error_code ec;
    if (!fs::is_directory(out, ec))
        return std::nullopt; // a new folder: nothing of the user's is in it
    const Contents contents = contentsOf(out);
    if (contents.signs.isWall())
        return std::nullopt;
    if (contents.signs.hasPageFiles())
        return JobError(JobErrorTexts::foreignPage, {out.string()});
    // The source itself is no exception: the page, its manifest and the photo folders would lie
    // among the user's photos, where nothing of theirs was to be changed. A wall already there
    // (made so by an earlier version) was let through above and goes on being updated.
    if (contents.photos)
        return JobError(JobErrorTexts::holdsPhotos, {out.string()});
    return std::nullopt;
}

} // namespace WallFolder
