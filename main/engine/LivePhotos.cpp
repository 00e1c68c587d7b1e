// Live photos: a still and the short clip of the same name beside it make one photo.
#include "engine/Indexer.h"

#include "engine/internal/AsciiText.h"

#include <unordered_map>

namespace {

/// A phone's motion clip is a few seconds long; a video this large is a film of its own that
/// merely shares a name with a photo.
constexpr std::int64_t maxClipBytes = 40 * 1024 * 1024;

/// The folder and the file name without its extension, in ASCII lower case: IMG_1234.HEIC and
/// IMG_1234.mov share it.
std::string stemKey(std::string_view rel)
{
    const auto slash = rel.rfind('/');
    const auto dot = rel.rfind('.');
    const auto end = dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash) ? rel.size() : dot;
    return AsciiText::lower(rel.substr(0, end));
}

bool isClip(const FileEntry& entry)
{
    const std::string ext = AsciiText::lowerExtension(entry.rel);
    return (ext == "mov" || ext == "mp4") && entry.size > 0 && entry.size <= maxClipBytes;
}

} // namespace

std::vector<FileEntry> Indexer::pairLivePhotos(std::vector<FileEntry> entries)
{
    std::unordered_map<std::string, std::size_t> clips;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (isClip(entries[i]))
            clips.emplace(stemKey(entries[i].rel), i);
    }
    if (clips.empty())
        return entries;
    std::vector<bool> paired(entries.size(), false);
    for (FileEntry& entry : entries) {
        if (isVideo(entry.rel))
            continue;
        const auto it = clips.find(stemKey(entry.rel));
        if (it == clips.end() || paired[it->second])
            continue;
        entry.motion = entries[it->second].rel;
        paired[it->second] = true;
    }
    std::vector<FileEntry> kept;
    kept.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!paired[i])
            kept.push_back(std::move(entries[i]));
    }
    return kept;
}
