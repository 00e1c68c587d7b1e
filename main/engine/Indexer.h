// One indexing job: turns one source folder into one wall.
#pragma once

#include "engine/CacheRecord.h"
#include "engine/FileEntry.h"
#include "engine/JobErrors.h"
#include "engine/JobSummary.h"
#include "engine/JobUpdate.h"

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
    static constexpr int thumbSize = 420;
    static constexpr double quality = 0.55;
    const int jobs;                   ///< photos processed at once, 2..6
    const UpdateHandler onUpdate;     ///< called on the thread that runs run(), never on a worker
    /// The page template copied to index.html; when empty, the one installed with the program.
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
    /// Walks root; throws JobCancelled when stopped. Reports Scanning through onUpdate.
    std::vector<FileEntry> scan() const;
    static bool isJunk(std::string_view path);
    static const std::unordered_set<std::string>& imageExt();
    static const std::unordered_set<std::string>& skipDirs();

    // --- duplicates
    /// One entry per (lower-cased NFC file name, size), the shallowest surviving; sorted by rel.
    static std::vector<FileEntry> dedupe(const std::vector<FileEntry>& entries);

    // --- processing
    /// The photo's cache record, writing its thumbnail unless one exists; nothing when unreadable.
    /// Safe to call from several threads at once.
    std::optional<CacheRecord> process(const FileEntry& entry) const;
    /// First 16 hex digits of md5Hex(rel).
    static std::string key(std::string_view rel);
    std::filesystem::path thumbURL(std::string_view key) const;

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
