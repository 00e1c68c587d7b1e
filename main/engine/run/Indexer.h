// One indexing job: turns one source folder into one wall.
#pragma once

#include "engine/cache/CacheRecord.h"
#include "engine/walk/FileEntry.h"
#include "engine/run/JobErrors.h"
#include "engine/run/JobSummary.h"
#include "engine/run/JobUpdate.h"
#include "engine/decode/PhotoOutcome.h"
#include "engine/walk/WalkResult.h"
#include "engine/wall/WallSchema.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

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
    static constexpr int thumbSize = WallSchema::thumbSize;
    static constexpr double quality = 0.55;
    /// Longest side and JPEG quality (1..100) of the large previews of photos that browsers cannot
    /// show, chosen with bench/media.sh: as sharp as the original on a 1440x900 screen and a
    /// little soft at twice its pixel density; for a 12-megapixel HEIC under a tenth more
    /// processing and under an eighth of its bytes (2048 pixels took more than an eighth even at
    /// quality 70, for little more detail at 2x).
    static constexpr int previewSize = 1600;
    static constexpr int previewQuality = 80;
    /// The JPEG quality of a portable wall's full-size copies of photos that browsers cannot show,
    /// as the previews': chosen with bench/zoom.sh, where quality 90 took 1.7 times the bytes.
    static constexpr int fullQuality = previewQuality;
    const int jobs;                   ///< photos processed at once, 2..6
    const UpdateHandler onUpdate;     ///< called on the thread that runs run(), never on a worker
    /// The page template copied to index.html; when empty, the one installed with the program.
    std::filesystem::path templateFile;
    /// How long processing waits while no photo finishes before it gives up on the photos in
    /// flight (a decoder that hangs) and writes the wall without them.
    std::chrono::milliseconds stallLimit = std::chrono::minutes(5);
    /// Whether photos of a wall built before previews existed get theirs in this run: each such
    /// photo is decoded again, which takes hours for a large HEIC library, so it is asked for.
    bool fillPreviews = false;
    /// Whether the wall keeps a screen-size copy (previews/, at the preview's size and quality) of
    /// every photo a browser shows itself, so that the wall alone shows every photo sharp where
    /// the originals cannot be found; photos that browsers cannot show get their previews as
    /// with fillPreviews, and those larger than a preview also a full-size JPEG (full/) that the
    /// viewer zooms into. Nothing: as the wall remembers from its last run that said (its
    /// .settings.json), else not. The run remembers what it was told.
    std::optional<bool> portable;
    /// How long a stop waits for the photos in flight before it leaves them behind as a stall
    /// does: a read that never returns (a hung drive) must not hold a stop.
    std::chrono::milliseconds stopLimit = std::chrono::seconds(1);
    /// While another process writes this wall: wait for it (reporting Waiting) instead of
    /// failing with WallInUse.
    bool waitForWall = false;
    /// Try again, alone, the photos that earlier runs passed over because they crashed a decoder.
    bool retryPassedOver = false;
    /// Make a playable copy of every video browsers cannot play, not only of the short ones and
    /// the live photos' clips: a long film takes about as long to copy as to watch on a slow
    /// machine, so it is asked for.
    bool everyVideoCopy = false;
    /// Decode in worker processes (kestova-worker), so that a decoder's crash costs one photo and
    /// not the run. Without the worker program photos are decoded in this process.
    bool isolateDecoders = true;

    /// The stop flag. Takes `lock` for the single read or write; any thread, never blocks for long.
    bool cancelled() const;
    /// Raises the stop flag; it is never cleared.
    void cancel();

    /// thumbs/ in the wall's folder.
    std::filesystem::path thumbDir() const;
    /// .cache.json, the progress cache.
    std::filesystem::path cacheURL() const;
    /// index.html, the wall's page.
    std::filesystem::path galleryFile() const;
    /// manifest.js, the wall's data.
    std::filesystem::path manifestFile() const;
    /// state.js: whether the last run finished the wall, for its page.
    std::filesystem::path stateFile() const;
    /// wall.js, the index of the wall's data in pieces, for the page.
    std::filesystem::path wallIndexFile() const;
    /// data/ in the wall's folder: the pieces that wall.js names.
    std::filesystem::path dataDir() const;
    /// previews/ in the wall's folder: the large JPEGs of photos that browsers cannot show.
    std::filesystem::path previewDir() const;
    /// full/ in the wall's folder: a portable wall's full-size JPEGs of photos that browsers cannot show.
    std::filesystem::path fullDir() const;
    /// motion/ in the wall's folder: the clips copied out of motion photos.
    std::filesystem::path motionDir() const;
    /// .settings.json, what the wall remembers of how it is made (whether it is portable).
    std::filesystem::path settingsFile() const;
    /// videos/ in the wall's folder: the playable copies of videos that browsers cannot play.
    std::filesystem::path videoCopyDir() const;
    /// .inflight, the photos in flight, for the next run to know which one a crash or hang came from.
    std::filesystem::path journalFile() const;
    /// .lock, locked by the run writing the wall; holds that process's id.
    std::filesystem::path lockFile() const;

    /// The whole job on the calling thread. Throws JobCancelled when stopped during the walk,
    /// JobError when the output cannot be written or the template is missing, WallInUse when
    /// another process writes the wall, SourceMissing when the source has vanished. Call once.
    JobSummary run();

    // --- discovery
    /// Walks root; throws JobCancelled when stopped. Reports Scanning through onUpdate.
    std::vector<FileEntry> scan() const;
    /// The walk, with the folders it could not read.
    WalkResult walk() const;
    static bool isJunk(std::string_view path);
    /// The photo extensions, lower case: those below and the usual image formats.
    static const std::unordered_set<std::string>& imageExt();
    /// The camera raw extensions, lower case: these photos are developed by LibRaw.
    static const std::unordered_set<std::string>& rawExt();
    /// Folders never entered, among them the wall folder that a source usually holds.
    static const std::unordered_set<std::string>& skipDirs();
    static const std::unordered_set<std::string>& videoExt();
    /// Whether the name has one of videoExt().
    static bool isVideo(std::string_view rel);
    /// Whether the name is of a format browsers do not show (HEIF, TIFF, camera raw), whose
    /// photos get a preview.
    static bool wantsPreview(std::string_view rel);

    // --- live photos
    /// A live photo's clip is about three seconds long on every phone; twice that leaves room
    /// for a longer capture setting and a container's rounding, while a film that merely
    /// shares a photo's name is nearly always longer.
    static constexpr std::int64_t maxLiveClipMs = 6000;
    /// Whether a clip of this length (0: unknown) can be a live photo's motion.
    static bool isLiveClipLength(std::int64_t durationMs);
    struct LivePairs {
        std::vector<FileEntry> entries; ///< the stills (some with `motion` set) and the other files
        std::vector<FileEntry> clips;   ///< the videos that became a still's `motion`
    };
    /// Whether a clip is known to be a video of its own (its still made no pair with it).
    using StandsAlone = std::function<bool(const FileEntry&)>;
    /// Pairs each still with the short video of the same name (the name's case aside) in the
    /// same folder: the video leaves the list and becomes the still's `motion`. Keeps the order
    /// of what remains. A pair stands once both open and the clip is short (see ProcessPhoto.cpp).
    static LivePairs pairLivePhotos(std::vector<FileEntry> entries, const StandsAlone& standsAlone = nullptr);
    /// The wall's folder inside its source, where the wall goes when the source can take it.
    static constexpr std::string_view defaultWallFolder = "_Photo Gallery";

    // --- duplicates
    /// A sample of a photo's content, or nothing when it cannot be read; may throw JobCancelled.
    using ContentOf = std::function<std::optional<std::string>(const FileEntry&)>;
    /// Whether two photos of one size hold the same bytes; may throw JobCancelled.
    using SameContent = std::function<bool(const FileEntry&, const FileEntry&)>;
    /// One entry per (lower-cased NFC file name, size), the shallowest surviving; sorted by rel.
    /// With `contentOf`, entries that share a name and a size collapse only when their samples
    /// agree too, and with `sameContent` only when their whole content agrees as well.
    static std::vector<FileEntry> dedupe(const std::vector<FileEntry>& entries, const ContentOf& contentOf = nullptr,
                                         const SameContent& sameContent = nullptr);
    /// The content sample of a photo below root, asked of the file itself.
    std::optional<std::string> contentSample(const FileEntry& entry) const;
    /// Whether two photos below root of `a`'s size hold the same bytes, read until they differ.
    bool sameContent(const FileEntry& a, const FileEntry& b) const;

    // --- processing
    /// When a thumbnail already on disk may stand for the photo without decoding it again.
    enum class KeepThumbnail {
        ifNotOlder, ///< when it was written no earlier than the photo's modification time
        never,      ///< the photo is known to have changed: always make it anew
    };
    /// The photo's cache record, writing its thumbnail unless one that may be kept exists;
    /// nothing when unreadable. Safe to call from several threads at once.
    std::optional<CacheRecord> process(const FileEntry& entry, KeepThumbnail keep = KeepThumbnail::ifNotOlder) const;
    /// The same, telling a photo that changed while it was read from one that cannot be read,
    /// and why. Throws JobError when the machine fails (no space on the wall, no descriptors,
    /// no memory) rather than blame the photo.
    PhotoOutcome processPhoto(const FileEntry& entry, KeepThumbnail keep = KeepThumbnail::ifNotOlder) const;
    /// As processPhoto, and with `previews` a photo browsers cannot show (and a video's poster)
    /// also gets its large preview, from the decode that makes its thumbnail. When the thumbnail
    /// may be kept, the preview is made only with `remakePreview` (its record had one) or the
    /// job's `fillPreviews` or `portable`. With `previews` and the job's `portable`, a photo
    /// browsers show gets its screen-size copy from the same decode; without `portable` a copy
    /// that stands is kept and none is made. The wall's run processes this way.
    struct Extras {
        bool previews = false;
        bool remakePreview = false;
    };
    PhotoOutcome processPhoto(const FileEntry& entry, KeepThumbnail keep, Extras extras) const;
    /// First 16 hex digits of md5Hex(rel).
    static std::string key(std::string_view rel);
    std::filesystem::path thumbURL(std::string_view key) const;
    /// previews/<first two characters>/<key>.jpg
    std::filesystem::path previewURL(std::string_view key) const;
    /// full/<first two characters>/<key>.jpg
    std::filesystem::path fullURL(std::string_view key) const;
    /// motion/<first two characters>/<key>.mp4, relative to the wall's folder: where the clip of
    /// a motion photo goes, and how its record and the page name it.
    static std::string motionClipName(std::string_view key);
    std::filesystem::path motionURL(std::string_view key) const;
    /// videos/<first two characters>/<key>.mp4, relative to the wall's folder: the playable copy
    /// of a video, or of a live photo's clip; the page finds it by the entry's key.
    static std::string videoCopyName(std::string_view key);

    /// Where the video a copy is made of lies: below root (a video, a live photo's clip beside
    /// it) or in the wall (a motion photo's clip, copied out of the photo into motion/).
    struct CopySource {
        std::string name;
        bool inWall = false;
    };
    /// Makes the playable copy of the video of `rel` (a video, or the photo whose clip `source`
    /// is) at its videoCopyName, written beside it and renamed into place. Ends done without a
    /// record, unreadable (damaged: it did not decode or encode; notSaved) or changed (the
    /// source changed while it was read). `keepGoing` is asked as the copy goes; a copy it stops
    /// ends stopped. Throws JobError when the machine fails, as processPhoto does.
    PhotoOutcome copyVideo(std::string_view rel, const CopySource& source,
                           const std::function<bool()>& keepGoing = {}) const;

    // --- progress cache
    CacheMap loadCache() const;
    /// The cache file's map, or nothing when it is missing, unreadable or of the wrong shape.
    std::optional<CacheMap> readCache() const;
    /// Atomic replace; failures are swallowed.
    void saveCache(const CacheMap& map) const;

private:
    mutable std::mutex lock; ///< guards _cancelled only
    bool _cancelled = false;
};
