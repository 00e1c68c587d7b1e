// The whole job: walk, duplicates, cache, parallel processing, wall.
#include "engine/run/Indexer.h"

#include "engine/base/AtomicFile.h"
#include "engine/decode/BuildFingerprint.h"
#include "engine/run/DecoderProcesses.h"
#include "engine/base/MachineCheck.h"
#include "engine/run/ClipsLeftAlone.h"
#include "engine/walk/LivePhotos.h"
#include "engine/cache/PhotoJournal.h"
#include "engine/run/ProcessingPhase.h"
#include "engine/run/ReuseTest.h"
#include "engine/cache/ProgressCache.h"
#include "engine/cache/ThumbIndex.h"
#include "engine/run/VideoCopies.h"
#include "engine/wall/WallFolder.h"
#include "engine/wall/WallFiles.h"
#include "engine/wall/WallGuard.h"
#include "engine/wall/WallLock.h"
#include "engine/wall/WallOutput.h"
#include "engine/wall/WallSettings.h"
#include "engine/wall/WallStamp.h"
#include "engine/walk/ContentSample.h"
#include "engine/walk/Dedupe.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

constexpr auto pollInterval = std::chrono::milliseconds(150);

/// The refusal of a link planted in the wall's folder: writes through it would land elsewhere.
JobError linkRefused(const fs::path& link)
{
    return JobError(JobErrorTexts::linkRefused, {link.string()});
}

/// Writes the wall of `map` and stamps it; its counts.
WallCounts writeStampedWall(const WallTarget& target, const CacheMap& map, PlaceNames& places, const WallState& state)
{
    Wall shown = WallOutput::buildWall(map);
    WallOutput::namePlaces(shown.entries, places);
    const std::vector<std::string> files = WallOutput::writeWall(target, shown.entries, state);
    const WallCounts counts{static_cast<std::int64_t>(shown.entries.size()), shown.undated, shown.videos,
                            shown.undatedVideos, shown.rawPairs};
    WallStamp::write(target.wall.stampFile(), target.wall.out, WallOutput::stampInputs(target, state), counts, files);
    return counts;
}

} // namespace

JobSummary Indexer::run()
{
    // The thumbnail folder, and with it the output folder, before anything else: the run has
    // nowhere to put its work without them.
    // Everything is written inside the wall's own folder: a link planted in place of that
    // folder or of one of its own (thumbs, previews, motion, data) would send the writes
    // somewhere else, so refuse it.
    const auto refuseLink = [](const fs::path& dir) {
        std::error_code ec;
        if (fs::is_symlink(dir, ec))
            throw linkRefused(dir);
    };
    refuseLink(out);
    for (const std::string_view name : WallFiles::folders)
        refuseLink(out / name);
    {
        // The data folder is made only when the wall is written, at the run's end: anything
        // else in its place is refused now, before the run's work is spent on a wall it
        // could not write.
        std::error_code ec;
        const fs::path data = out / WallFiles::data;
        if (fs::exists(fs::symlink_status(data, ec)) && !fs::is_directory(fs::symlink_status(data, ec)))
            throw JobError(JobErrorTexts::folderBlocked, {data.string()});
    }
    {
        // A folder of the user's own (photos, or a page of another program) is not made a wall:
        // its photos would vanish from the wall and its files be overwritten.
        if (const auto refused = WallFolder::refusal(out))
            throw *refused;
        std::error_code ec;
        fs::create_directories(wall.thumbDir(), ec);
        if (ec || !fs::is_directory(wall.thumbDir(), ec))
            throw ec ? JobError(JobErrorTexts::folderFailed, {wall.thumbDir().string()}, ec.value())
                     : JobError(JobErrorTexts::folderBlocked, {wall.thumbDir().string()});
    }
    for (const std::string_view name : WallFiles::photoFolders) {
        if (const auto link = WallGuard::linkedThumbFolder(out / name))
            throw linkRefused(*link);
    }
    // One writer per wall: two runs at once would take each other's photos out of the cache.
    WallLock wallLock(wall.lockFile());
    if (!wallLock.tryLock()) {
        pid_t holder = wallLock.holder();
        if (!waitForWall)
            throw WallInUse(holder, out);
        if (onUpdate)
            onUpdate(JobUpdates::Waiting{holder});
        while (!wallLock.tryLock()) {
            if (cancelled())
                throw JobCancelled();
            std::this_thread::sleep_for(pollInterval);
            if (const pid_t now = wallLock.holder(); now != holder && now != 0) {
                holder = now;
                if (onUpdate)
                    onUpdate(JobUpdates::Waiting{holder});
            }
        }
    }
    // A journal left behind means a run died while making thumbnails, and may have left
    // thumbnails half written.
    std::error_code noJournal;
    const bool journalLeft = fs::exists(wall.journalFile(), noJournal);
    WallGuard::removeStaleTemporaries(out, journalLeft);

    // What the wall remembers: a portable wall stays portable through an update that does not
    // say, and a run told otherwise is remembered before its work, so a stop keeps it too.
    const WallSettings storedSettings = WallSettings::load(wall.settingsFile());
    WallSettings wallSettings = storedSettings;
    wallSettings.portable = portable.value_or(storedSettings.portable);
    if (wallSettings != storedSettings) {
        if (auto failure = AtomicFile::write(wall.settingsFile(), wallSettings.serialize()))
            throw *failure;
    }
    const bool fillsPreviews = fillPreviews || wallSettings.portable;

    // The summary names the wall's page from the start, so that a run stopped early still says
    // where its wall is; the first report says the walk has begun.
    JobSummary summary;
    summary.gallery = wall.galleryFile();
    if (onUpdate)
        onUpdate(JobUpdates::Scanning{0});

    // What the wall remembers is read while the source is walked, on a thread of its own where
    // one is to be had: the cache file and the listings of the thumbnails' folders wait on other
    // reads than the walk's, and on a large drive each takes a good part of an update.
    struct Remembered {
        std::optional<CacheMap> cache;
        ProgressCache::WallIndex files;
        CacheInOrder inOrder; ///< the cache's records as the file holds them, which the map does not
    };
    auto remembering = std::async(std::launch::async | std::launch::deferred, [wall = this->wall] {
        Remembered remembered{std::nullopt, ProgressCache::WallIndex::of(wall), {}};
        remembered.cache = ProgressCache::readCache(wall.cacheURL(), &remembered.inOrder);
        if (remembered.cache && !remembered.cache->empty())
            remembered.files.listFor(*remembered.cache);
        return remembered;
    });

    // The walk, then duplicates: what the wall will show is known before any work is spent.
    // The wall's cache tells how many photos the walk will find about: a record takes more than
    // 64 bytes of its text.
    WalkSettings walkWith = walkSettings();
    {
        std::error_code ec;
        const std::uintmax_t cacheBytes = fs::file_size(wall.cacheURL(), ec);
        walkWith.expectedPhotos = ec ? 0 : static_cast<std::size_t>(cacheBytes / 64);
    }
    WalkResult walked = walk(walkWith);
    std::vector<FileEntry>& entries = walked.entries;
    summary.found = static_cast<std::int64_t>(entries.size());
    summary.unreadableFolders = walked.unreadableFolders;
    summary.tooLong = walked.tooLong;
    if (shouldDedupe) {
        entries = dedupe(std::move(entries), [this](const FileEntry& entry) {
            if (cancelled())
                throw JobCancelled();
            return ContentSample::of(root / fs::path(entry.rel), entry.size);
        }, [this](const FileEntry& a, const FileEntry& b) {
            if (cancelled())
                throw JobCancelled();
            return ContentSample::same(root / fs::path(a.rel), root / fs::path(b.rel), a.size);
        });
        summary.duplicates = summary.found - static_cast<std::int64_t>(entries.size());
    }

    // What is already done, from the cache, so that an update or a resumed run processes only
    // what is new or changed.
    Remembered remembered = remembering.get();
    const bool storedUsable = remembered.cache.has_value();
    CacheMap map = storedUsable ? std::move(*remembered.cache) : CacheMap{};
    // A clip recorded as a video of its own made no pair with its still when last looked at.
    LivePhotos::LivePairs live = LivePhotos::pairLivePhotos(std::move(entries), [&](const FileEntry& clip) { return ProgressCache::holdsRecordOf(clip, map); });
    entries = std::move(live.entries);
    // A source that cannot be read, or that holds nothing where the wall had photos, is most
    // likely a drive that is not plugged in (an empty mount point): pruning would empty the
    // wall and forget every record. Leave both as they are.
    if ((walked.rootUnreadable || entries.empty()) && !map.empty())
        throw SourceMissing(root, static_cast<std::int64_t>(map.size()));
    if (walked.rootUnreadable)
        throw JobError(JobErrorTexts::folderUnreadable, {root.string()});
    // The reuse test, with the thumbnails' existence learned by listing their folders: a large
    // wall's update then costs a few hundred directory reads instead of a lookup per photo.
    ReuseTest reuse =
        testReuse(entries, map, remembered.files, {fillsPreviews, wallSettings.portable}, remembered.inOrder);
    std::vector<FileEntry>& todo = reuse.todo;
    // Photos replaced or edited since their record was made: their thumbnails are made anew.
    // Shared with the workers, which may outlive this frame.
    const auto changed = std::make_shared<std::unordered_set<std::string>>(std::move(reuse.changed));
    const bool adoptedStamps = reuse.adoptedStamps;
    // Whether the map now differs from what the cache file holds: only then is the file saved,
    // and only then may the wall on disk be of another map.
    bool mapChanged = !storedUsable;
    const std::size_t reused = reuse.reused; ///< entries whose records stand; each names a record of its own
    const std::size_t tested = entries.size();
    const std::size_t loaded = map.size();
    // Photos that were in flight when earlier runs died: one that crashes the decoder is passed
    // over after a few crashes, the others are tried first, alone.
    // Its counts are written under the fingerprint of the build, which loads the decoders: an
    // update with no photo to do and no journal left by an earlier run writes none and needs none.
    const auto journal = std::make_shared<PhotoJournal>(
        wall.journalFile(), entries, todo.empty() && !journalLeft ? std::string() : BuildFingerprint::current(),
        retryPassedOver);
    std::erase_if(todo, [&](const FileEntry& e) {
        if (!journal->passesOver(e))
            return false;
        summary.passedOver.push_back(e.rel);
        return true;
    });
    std::stable_partition(todo.begin(), todo.end(), [&](const FileEntry& e) { return journal->isSuspect(e); });

    // Processing: the thumbnails, dates and details of the photos still to do, in parallel.
    ProcessingPhase::Settings settings;
    settings.pollInterval = pollInterval;
    settings.stallLimit = stallLimit;
    settings.stopLimit = stopLimit;
    settings.cancelled = [this] { return cancelled(); };
    settings.onUpdate = onUpdate;
    settings.save = [cache = wall.cacheURL()](const CacheMap& snapshot) { ProgressCache::saveCache(cache, snapshot); };
    // The workers hold their own copy of what a photo's work needs, not the job: a worker left
    // behind in a read that never returns then never reads a job that its owner has dropped.
    PhotoWork photoWork = this->photoWork();
    photoWork.portable = wallSettings.portable;
    // Each photo is decoded in a worker process where the program has one: a decoder that
    // crashes there costs the run that photo only, and counts against it in the journal.
    const auto startWorkers = [this, &photoWork]() -> std::shared_ptr<DecoderProcesses> {
        if (const auto worker = isolateDecoders ? DecoderProcesses::program() : std::nullopt)
            return std::make_shared<DecoderProcesses>(
                *worker, WorkerProtocol::Hello{BuildFingerprint::current(), photoWork.root, photoWork.wall.out,
                                               photoWork.fillPreviews, photoWork.portable});
        return nullptr;
    };
    if (!todo.empty()) {
        const std::shared_ptr<DecoderProcesses> decoders = startWorkers();
        // Under a tight memory limit fewer photos go at once, and under one too tight for any
        // the run ends here with the reason, not in a decoder that aborts.
        settings.jobs = MachineCheck::workersThatFit(jobs);
        // A preview deleted from the wall is made again, as a deleted thumbnail is. Read before
        // the workers start changing the map.
        const auto hadPreview = std::make_shared<std::unordered_set<std::string>>();
        for (const FileEntry& entry : todo) {
            const auto old = map.find(entry.rel);
            if (old != map.end() && (old->second.media.flags & Record::hasPreview))
                hadPreview->insert(entry.rel);
        }
        const ProcessingPhase::Process process = [photoWork, changed, hadPreview,
                                                  decoders, journal](const FileEntry& entry) {
            const bool remake = changed->contains(entry.rel);
            const bool remakePreview = hadPreview->contains(entry.rel);
            if (decoders) {
                if (auto outcome = decoders->process({entry, remake, true, remakePreview})) {
                    if (outcome->end == PhotoEnd::unreadable && outcome->why == WhyUnreadable::crashed) {
                        journal->crashed(entry);
                        // A worker the system killed for want of memory is the machine's fault.
                        MachineCheck::afterFailure(photoWork.wall.out);
                    }
                    return *outcome;
                }
            }
            return processPhoto(photoWork, entry, remake ? KeepThumbnail::never : KeepThumbnail::ifNotOlder,
                                PhotoExtras{true, remakePreview});
        };
        journal->open();
        auto outcome = ProcessingPhase::run(std::move(map), todo, journal, process, settings);
        // The clips of stills that made no live photo with them are videos of their own.
        const std::vector<FileEntry> alone = clipsLeftAlone(todo, live.clips, outcome);
        if (!alone.empty() && !outcome.stopped && !cancelled()) {
            entries.insert(entries.end(), alone.begin(), alone.end());
            auto clips = ProcessingPhase::run(std::move(outcome.map), alone, journal, process, settings);
            outcome.map = std::move(clips.map);
            outcome.ended.insert(outcome.ended.end(), clips.ended.begin(), clips.ended.end());
            outcome.machineFailure = std::move(clips.machineFailure);
            outcome.stopped = clips.stopped;
        }
        // A worker still at work on a photo left behind (a hung decoder) ends here, not later.
        if (decoders)
            decoders->close();
        journal->close();
        map = std::move(outcome.map);
        // Without a photo done the map holds the records it was read with: photos that stay
        // unreadable, or that changed while read, leave it as it was.
        mapChanged = mapChanged || !outcome.with(PhotoEnd::done).empty();
        if (outcome.machineFailure) {
            // What was done is kept, and the photo the machine failed on is tried again next
            // run; the wall on disk stays as it was.
            ProgressCache::saveCache(wall.cacheURL(), map);
            throw *outcome.machineFailure;
        }
        for (const ProcessingPhase::Ended& photo : outcome.ended) {
            if (photo.end == PhotoEnd::unreadable)
                summary.unreadableFiles.push_back({photo.rel, photo.why, photo.message});
            else if (photo.end == PhotoEnd::changed)
                ++summary.changed;
            else if (photo.end == PhotoEnd::stalled)
                summary.tookTooLong.push_back(photo.rel);
        }
        summary.partial = outcome.stopped || !summary.tookTooLong.empty();
    }
    for (const std::string& rel : summary.passedOver)
        summary.unreadableFiles.push_back({rel, WhyUnreadable::passedOver, {}});
    std::sort(summary.unreadableFiles.begin(), summary.unreadableFiles.end());
    summary.unreadable = static_cast<std::int64_t>(summary.unreadableFiles.size());
    // A photo of the source that has no record and is not named as unreadable is still to do:
    // a stop dropped it or left it in flight.
    if (summary.partial) {
        const auto& unreadable = summary.unreadableFiles;
        const auto named = [&unreadable](const std::string& rel) {
            const auto it = std::lower_bound(unreadable.begin(), unreadable.end(), rel,
                                             [](const UnreadablePhoto& photo, const std::string& r) { return photo.rel < r; });
            return it != unreadable.end() && it->rel == rel;
        };
        for (const FileEntry& entry : entries) {
            if (!map.contains(entry.rel) && !named(entry.rel))
                ++summary.toDo;
        }
    }

    // The records of photos gone from the source are dropped, and the cache is saved before the
    // wall is written from the same map, so that a run killed while writing keeps its work.
    if (onUpdate)
        onUpdate(JobUpdates::Writing{});
    // When every record is of a photo that was reused, none is of a photo gone.
    if (!todo.empty() || reused != loaded) {
        const std::size_t before = map.size();
        ProgressCache::prune(map, entries, walked.unreadableFolders);
        mapChanged = mapChanged || map.size() != before;
    }
    mapChanged = mapChanged || adoptedStamps;
    // When nothing was processed and nothing pruned, the file on disk already holds this map.
    if (mapChanged)
        ProgressCache::saveCache(wall.cacheURL(), map);

    // The wall itself, with its places named. The gazetteer is read once for the run, and only
    // when a photo has coordinates. An update that changed no record finds the wall on disk
    // made from the same records, unless something else it is made from changed since, or
    // one of its files did.
    PlaceNames places;
    const WallState state{summary.unfinished() ? summary.toDo : 0};
    const auto counted = [&summary](const WallCounts& counts) {
        summary.undated = counts.undated;
        summary.videos = counts.videos;
        summary.undatedVideos = counts.undatedVideos;
        summary.rawPairs = counts.rawPairs;
        summary.photos = counts.entries - counts.videos - counts.rawPairs;
    };
    if (const auto standing = mapChanged ? std::nullopt : WallStamp::standing(wall.stampFile(), out, WallOutput::stampInputs(wallTarget(), state)))
        counted(*standing);
    else
        counted(writeStampedWall(wallTarget(), map, places, state));

    // The playable copies of the videos browsers cannot play: after the photos, so that the
    // wall opens first, and then the wall again, whose entries now name them. A stop leaves the
    // rest to the next run.
    if (cancelled())
        return summary;
    // Only the entries the reuse test named, and the clips of no live photo, may want a copy:
    // the records of the others are of plain photos and stand as they were.
    std::vector<FileEntry> mayPlay;
    mayPlay.reserve(reuse.mayPlay.size() + entries.size() - tested);
    for (const std::size_t i : reuse.mayPlay)
        mayPlay.push_back(entries[i]);
    mayPlay.insert(mayPlay.end(), entries.begin() + std::ptrdiff_t(tested), entries.end());
    VideoCopies::Plan copies = VideoCopies::plan(map, mayPlay, live.clips, wall, everyVideoCopy, *changed);
    // A copy found made was in flight when a run was killed before it said so: no suspect. The
    // journal is over for the photos (again, when they were processed), before the copies'.
    for (const std::string& rel : copies.found)
        journal->settled(rel);
    journal->close();
    if (!copies.work.empty()) {
        const auto works = std::make_shared<std::unordered_map<std::string, VideoCopies::Work>>();
        std::vector<FileEntry> copyList;
        for (VideoCopies::Work& work : copies.work) {
            copyList.push_back(work.entry);
            works->emplace(work.entry.rel, std::move(work));
        }
        // An encoder runs a few threads of its own: half as many copies at once as photos.
        settings.jobs = std::max(1, MachineCheck::workersThatFit(jobs) / 2);
        settings.making = JobUpdates::Thumbnails::Making::videoCopies;
        // A 4K video's copy took five times as long as it plays on two busy cores
        // (bench/media.sh): the stall limit counts only beyond ten times its length.
        settings.allowance = [works](const FileEntry& entry) {
            const auto it = works->find(entry.rel);
            return std::chrono::milliseconds(it == works->end() ? 0 : 10 * it->second.durationMs);
        };
        const std::shared_ptr<DecoderProcesses> copiers = startWorkers();
        // A copy made in this process (no worker program) ends when processing does.
        const auto over = std::make_shared<std::atomic<bool>>(false);
        const auto journal = std::make_shared<PhotoJournal>(wall.journalFile(), entries, BuildFingerprint::current());
        const ProcessingPhase::Process copy = [photoWork, works, copiers,
                                               over](const FileEntry& entry) {
            const VideoCopies::Work& work = works->at(entry.rel);
            std::optional<PhotoOutcome> outcome;
            if (copiers) {
                WorkerProtocol::Request request{entry};
                request.copySource = work.source.name;
                request.copySourceInWall = work.source.inWall;
                outcome = copiers->process(request);
            }
            if (!outcome)
                outcome = copyVideo(photoWork, entry.rel, work.source, [over] { return !over->load(); });
            // A crashed encoder counts nothing against the photo, whose thumbnail stands.
            if (outcome->end == PhotoEnd::done)
                outcome->record = work.record;
            return *outcome;
        };
        journal->open();
        auto outcome = ProcessingPhase::run(std::move(map), copyList, journal, copy, settings);
        over->store(true);
        if (copiers)
            copiers->close();
        journal->close();
        // A copy given up on (a stop, the stall limit) leaves its killed worker's temporary file.
        if (outcome.stopped || !outcome.with(PhotoEnd::stalled).empty())
            WallGuard::removeStaleTemporaries(out, true);
        map = std::move(outcome.map);
        if (outcome.machineFailure) {
            ProgressCache::saveCache(wall.cacheURL(), map);
            throw *outcome.machineFailure;
        }
        // What did not end here (a stop, a source that changed) is left for the next run.
        summary.copiesToDo = static_cast<std::int64_t>(copyList.size());
        for (const ProcessingPhase::Ended& video : outcome.ended) {
            if (video.end == PhotoEnd::done)
                ++summary.videoCopies;
            else if (video.end == PhotoEnd::unreadable)
                summary.noCopy.push_back({video.rel, video.why, video.message});
            else if (video.end == PhotoEnd::stalled)
                summary.tookTooLong.push_back(video.rel);
            else
                continue;
            --summary.copiesToDo;
        }
        std::sort(summary.noCopy.begin(), summary.noCopy.end());
        std::sort(summary.tookTooLong.begin(), summary.tookTooLong.end());
        summary.partial = summary.partial || outcome.stopped;
    }
    if (summary.videoCopies > 0 || copies.adjusted > 0) {
        ProgressCache::saveCache(wall.cacheURL(), map);
        writeStampedWall(wallTarget(), map, places, state);
    }
    return summary;
}
