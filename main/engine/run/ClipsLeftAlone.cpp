// The clips of live photos that made no pair in this run's processing.
#include "engine/run/ClipsLeftAlone.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

std::vector<FileEntry> clipsLeftAlone(const std::vector<FileEntry>& stills, const std::vector<FileEntry>& clips,
                                      const ProcessingPhase::Outcome& outcome)
{
    std::unordered_map<std::string_view, const FileEntry*> clipByRel;
    for (const FileEntry& clip : clips)
        clipByRel.emplace(clip.rel, &clip);
    std::unordered_set<std::string_view> unreadable;
    std::unordered_set<std::string_view> processed;
    for (const ProcessingPhase::Ended& photo : outcome.ended) {
        if (photo.end == PhotoEnd::unreadable)
            unreadable.insert(photo.rel);
        else if (photo.end == PhotoEnd::done)
            processed.insert(photo.rel);
    }
    std::vector<FileEntry> alone;
    for (const FileEntry& still : stills) {
        const auto clip = still.motion.empty() ? clipByRel.end() : clipByRel.find(still.motion);
        if (clip == clipByRel.end())
            continue;
        if (unreadable.contains(still.rel)) {
            // A still that does not open makes no pair: its clip is a video of its own.
            alone.push_back(*clip->second);
        } else if (processed.contains(still.rel)) {
            // A still whose clip did not open, or is no live photo's clip by its length.
            const auto record = outcome.map.find(still.rel);
            const Record::Media media = record == outcome.map.end() ? Record::Media{} : record->second.media;
            if (!(media.flags & Record::isLive) || media.motion != still.motion)
                alone.push_back(*clip->second);
        }
        // A still not done in this run (a stop) is paired with its clip again next time.
    }
    return alone;
}
