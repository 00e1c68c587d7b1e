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
    Record::Media media;           ///< a video's, a live photo's or a preview's; written only when flags are set
    friend bool operator==(const WallEntry&, const WallEntry&) = default;
};

/// The wall entries, sorted newest first with undated last, and how many are undated.
struct Wall {
    std::vector<WallEntry> entries;
    std::int64_t undated = 0;
    std::int64_t videos = 0;
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
    /// Longest side and JPEG quality (1..100) of the large previews of photos that browsers cannot
    /// show, chosen with bench/media.sh: sharp on a 1440x900 screen, a little soft at twice its
    /// pixel density, under a tenth of the processing and about a seventh of a HEIC's bytes.
    static constexpr int previewSize = 2048;
    static constexpr int previewQuality = 70;
    const int jobs;                   ///< photos processed at once, 2..6
    const UpdateHandler onUpdate;     ///< called on the thread that runs run(), never on a worker
    /// The page template copied to index.html; when empty, findTemplate() is asked at write time.
    std::filesystem::path templateFile;
    /// How long processing waits while no photo finishes before it gives up on the photos in
    /// flight (a decoder that hangs) and writes the wall without them.
    std::chrono::milliseconds stallLimit = std::chrono::minutes(5);
    /// Whether photos of a wall built before previews existed get theirs in this run: each such
    /// photo is decoded again, which takes hours for a large HEIC library, so it is asked for.
    bool fillPreviews = false;

    /// The stop flag. Takes `lock` for the single read or write; any thread, never blocks for long.
    bool cancelled() const;
    /// Raises the stop flag; it is never cleared.
    void cancel();

    std::filesystem::path thumbDir() const { return out / "thumbs"; }
    std::filesystem::path cacheURL() const { return out / ".cache.json"; }
    std::filesystem::path previewDir() const { return out / "previews"; }
    std::filesystem::path galleryFile() const { return out / "index.html"; }
    std::filesystem::path manifestFile() const { return out / "manifest.js"; }
    /// The photos in flight, for the next run to know which one a crash or hang came from.
    std::filesystem::path journalFile() const { return out / ".inflight"; }

    /// The whole job on the calling thread. Throws JobCancelled when stopped during the walk,
    /// JobError when the output cannot be written or the template is missing. Call once.
    JobSummary run();

    // --- discovery
    /// Walks root; throws JobCancelled when stopped. Reports Scanning through onUpdate.
    std::vector<FileEntry> scan() const;
    static bool isJunk(std::string_view path);
    static const std::unordered_set<std::string>& imageExt();
    static const std::unordered_set<std::string>& skipDirs();
    static const std::unordered_set<std::string>& videoExt();
    /// Whether the name has one of videoExt().
    static bool isVideo(std::string_view rel);
    /// Whether the name is of a format browsers do not show (HEIF, TIFF, camera raw), whose
    /// photos get a preview.
    static bool wantsPreview(std::string_view rel);

    // --- live photos
    /// Pairs each still with the short video of the same name in the same folder: the video
    /// leaves the list and becomes the still's `motion`. Keeps the order of what remains.
    static std::vector<FileEntry> pairLivePhotos(std::vector<FileEntry> entries);

    // --- duplicates
    /// One entry per (lower-cased NFC file name, size), the shallowest surviving; sorted by rel.
    static std::vector<FileEntry> dedupe(const std::vector<FileEntry>& entries);

    // --- processing
    /// The photo's cache record, writing its thumbnail unless one exists; nothing when unreadable.
    /// Safe to call from several threads at once.
    std::optional<CacheRecord> process(const FileEntry& entry) const;
    /// As above, and with `previews` a photo browsers cannot show (and a video's poster) also
    /// gets its large preview, from the decode that makes its thumbnail. When the thumbnail
    /// exists, the preview is made only with `remakePreview` (its record had one) or the job's
    /// `fillPreviews`. The wall's run processes this way.
    struct Extras {
        bool previews = false;
        bool remakePreview = false;
    };
    std::optional<CacheRecord> process(const FileEntry& entry, Extras extras) const;
    /// First 16 hex digits of md5Hex(rel).
    static std::string key(std::string_view rel);
    std::filesystem::path thumbURL(std::string_view key) const;
    /// previews/<first two characters>/<key>.jpg
    std::filesystem::path previewURL(std::string_view key) const;

    // --- progress cache
    CacheMap loadCache() const;
    /// The cache file's map, or nothing when it is missing, unreadable or of the wrong shape.
    std::optional<CacheMap> readCache() const;
    /// Atomic replace; failures are swallowed.
    void saveCache(const CacheMap& map) const;
    /// Whether the entry can be skipped: its record matches and its thumbnail exists.
    /// The thumbnails' existence is learned from `thumbs`, which lists each of their folders once.
    static bool canReuse(const FileEntry& entry, const CacheMap& map, ThumbIndex& thumbs);
    /// As above; a record that has a preview also needs its file in `previews`, and with
    /// `fillPreviews` a photo that wants a preview and has none is done again.
    static bool canReuse(const FileEntry& entry, const CacheMap& map, ThumbIndex& thumbs, ThumbIndex& previews,
                         bool fillPreviews);
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
