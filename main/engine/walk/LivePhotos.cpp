// Live photos: a still and the short clip of the same name beside it make one photo.
#include "engine/walk/LivePhotos.h"

#include "engine/base/AsciiText.h"
#include "engine/walk/PhotoKinds.h"

#include <unordered_map>
#include <unordered_set>

namespace {

/// A phone's motion clip is a few seconds long; a video this large is a film of its own that
/// merely shares a name with a photo. Told before the clip is opened; its length decides after.
constexpr std::int64_t maxClipBytes = 40 * 1024 * 1024;

/// The folder as it is and the file name without its extension in ASCII lower case:
/// IMG_1234.HEIC and IMG_1234.mov share it, Trip/IMG_5.jpg and trip/IMG_5.mov do not (two
/// folders of their own on a file system that tells case).
std::string stemKey(std::string_view rel)
{
    const auto slash = rel.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const auto dot = rel.rfind('.');
    const auto end = dot == std::string_view::npos || dot < nameStart ? rel.size() : dot;
    return std::string(rel.substr(0, nameStart)) + AsciiText::lower(rel.substr(nameStart, end - nameStart));
}

bool isClip(const FileEntry& entry)
{
    const std::string ext = AsciiText::lowerExtension(entry.rel);
    return (ext == "mov" || ext == "mp4") && entry.size > 0 && entry.size <= maxClipBytes;
}

} // namespace

bool LivePhotos::isLiveClipLength(std::int64_t durationMs)
{
    return durationMs > 0 && durationMs <= maxLiveClipMs;
}

LivePhotos::LivePairs LivePhotos::pairLivePhotos(std::vector<FileEntry> entries, const StandsAlone& standsAlone)
{
    std::unordered_map<std::string, std::size_t> clips;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (isClip(entries[i]) && !(standsAlone && standsAlone(entries[i])))
            clips.emplace(stemKey(entries[i].rel), i);
    }
    LivePairs live;
    if (clips.empty()) {
        live.entries = std::move(entries);
        return live;
    }
    std::vector<bool> paired(entries.size(), false);
    for (FileEntry& entry : entries) {
        if (PhotoKinds::isVideo(entry.rel))
            continue;
        const auto it = clips.find(stemKey(entry.rel));
        if (it == clips.end() || paired[it->second])
            continue;
        entry.motion = entries[it->second].rel;
        paired[it->second] = true;
    }
    // The stills stay where they are, in order, and the clips they took leave: no second list
    // of every entry is made.
    std::size_t placed = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (paired[i]) {
            live.clips.push_back(std::move(entries[i]));
            continue;
        }
        if (i != placed)
            entries[placed] = std::move(entries[i]);
        ++placed;
    }
    entries.erase(entries.begin() + std::ptrdiff_t(placed), entries.end());
    live.entries = std::move(entries);
    return live;
}
