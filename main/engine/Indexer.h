// One indexing job: turns one source folder into one wall.
#pragma once

#include "engine/CacheRecord.h"
#include "engine/FileEntry.h"
#include "engine/JobErrors.h"
#include "engine/JobSummary.h"
#include "engine/JobUpdate.h"
#include "engine/ThumbIndex.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

/// One photo on the wall, written to manifest.js as [key, rel, width, height, date, first, mtime].
struct WallEntry {
    std::string key;
    std::string rel;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t date = 0; ///< civil seconds read as UTC; 0 = undated
    std::string first;     ///< first component of rel
    std::int64_t mtime = 0;
    friend bool operator==(const WallEntry&, const WallEntry&) = default;
};

/// The wall entries, sorted newest first with undated last, and how many are undated.
struct Wall {
    std::vector<WallEntry> entries;
    std::int64_t undated = 0;
};

class Indexer {
public:
    using UpdateHandler = std::function<void(const JobUpdate&)>;

    /// Builds a job; does no input or output.
    Indexer(std::filesystem::path root, std::filesystem::path out, std::string title, bool dedupe,
            UpdateHandler onUpdate);
    Indexer(const Indexer&) = delete;
    Indexer& operator=(const Indexer&) = delete;

    const std::filesystem::path root; ///< the folder whose photos make the wall
    const std::filesystem::path out;  ///< the wall's output folder; everything written goes inside it
    const std::string title;
    const bool shouldDedupe;          ///< show duplicate copies once
    static constexpr int thumbSize = 420;
    static constexpr double quality = 0.55;
    const int jobs;                   ///< photos processed at once, 2..6
    const UpdateHandler onUpdate;     ///< called on the thread that runs run(), never on a worker
    /// The page template copied to index.html; when empty, findTemplate() is asked at write time.
    std::filesystem::path templateFile;
    /// How long processing waits while no photo finishes before it gives up on the photos in
    /// flight (a decoder that hangs) and writes the wall without them.
    std::chrono::milliseconds stallLimit = std::chrono::minutes(5);

    /// The stop flag. Takes `lock` for the single read or write; any thread, never blocks for long.
    bool cancelled() const;
    /// Raises the stop flag; it is never cleared.
    void cancel();

    std::filesystem::path thumbDir() const { return out / "thumbs"; }
    std::filesystem::path cacheURL() const { return out / ".cache.json"; }
    std::filesystem::path galleryFile() const { return out / "index.html"; }
    std::filesystem::path manifestFile() const { return out / "manifest.js"; }
    /// The photos in flight, for the next run to know which one a crash or hang came from.
    std::filesystem::path journalFile() const { return out / ".inflight"; }

    /// The whole job on the calling thread. Throws JobCancelled when stopped during the walk,
    /// JobError when the output cannot be written or the template is missing. Call once.
    JobSummary run();

    // --- discovery
    /// What a walk passed over that the user should hear of.
    struct WalkNotes {
        /// Folders and photos whose path is longer than the system allows (deep nesting).
        std::int64_t tooLong = 0;
    };
    /// Walks root; throws JobCancelled when stopped. Reports Scanning through onUpdate.
    std::vector<FileEntry> scan() const;
    std::vector<FileEntry> scan(WalkNotes& notes) const;
    static bool isJunk(std::string_view path);
    static const std::unordered_set<std::string>& imageExt();
    static const std::unordered_set<std::string>& skipDirs();

    // --- duplicates
    /// A sample of a photo's content, or nothing when it cannot be read; may throw JobCancelled.
    using ContentOf = std::function<std::optional<std::string>(const FileEntry&)>;
    /// One entry per (lower-cased NFC file name, size), the shallowest surviving; sorted by rel.
    /// With `contentOf`, entries that share a name and a size collapse only when their samples
    /// agree too.
    static std::vector<FileEntry> dedupe(const std::vector<FileEntry>& entries, const ContentOf& contentOf = nullptr);
    /// The content sample of a photo below root, asked of the file itself.
    std::optional<std::string> contentSample(const FileEntry& entry) const;

    // --- processing
    /// When a thumbnail already on disk may stand for the photo without decoding it again.
    enum class KeepThumbnail {
        ifNotOlder, ///< when it was written no earlier than the photo's modification time
        never,      ///< the photo is known to have changed: always make it anew
    };
    /// The photo's cache record, writing its thumbnail unless one that may be kept exists;
    /// nothing when unreadable. Safe to call from several threads at once.
    std::optional<CacheRecord> process(const FileEntry& entry, KeepThumbnail keep = KeepThumbnail::ifNotOlder) const;
    /// First 16 hex digits of md5Hex(rel).
    static std::string key(std::string_view rel);
    std::filesystem::path thumbURL(std::string_view key) const;

    // --- progress cache
    CacheMap loadCache() const;
    /// The cache file's map, or nothing when it is missing, unreadable or of the wrong shape.
    std::optional<CacheMap> readCache() const;
    /// Atomic replace; failures are swallowed.
    void saveCache(const CacheMap& map) const;
    /// Whether the entry can be skipped: its record matches and its thumbnail exists.
    /// The thumbnails' existence is learned from `thumbs`, which lists each of their folders once.
    static bool canReuse(const FileEntry& entry, const CacheMap& map, ThumbIndex& thumbs);
    /// Whether the map holds a record of this photo made when its size or time were different:
    /// the photo was replaced or edited since, and its old thumbnail shows something else.
    static bool recordedOtherwise(const FileEntry& entry, const CacheMap& map);
    /// Keeps only the records of the run's entries.
    static void prune(CacheMap& map, const std::vector<FileEntry>& entries);

    // --- wall output
    static Wall buildWall(const CacheMap& map);
    /// The whole text of manifest.js.
    std::string manifestText(const std::vector<WallEntry>& entries) const;
    /// Writes manifest.js, then copies the template to index.html; throws JobError.
    void writeWall(const std::vector<WallEntry>& entries) const;

    /// Processors available to this process (sched_getaffinity), clamped to 2..6.
    static int jobsFor(int processors);
    static int availableProcessors();
    /// The page template: beside the program, then in the installed share folder.
    static std::filesystem::path findTemplate();

private:
    mutable std::mutex lock; ///< guards _cancelled only
    bool _cancelled = false;
};
