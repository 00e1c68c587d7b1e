// Which photos a run was processing when it died, so that a photo that crashes a decoder cannot
// keep a wall from ever being finished.
//
// The file ".inflight" in the wall's folder holds one line per event, names as JSON strings so
// that any bytes fit on one line:
//   F "<fingerprint>"                   the build that wrote the counts (BuildFingerprint)
//   D <crashes> <size> <mtime> "<rel>"  carried from earlier runs
//   S <size> <mtime> "<rel>"            processing started
//   E "<rel>"                           processing ended, with or without a record
//   H "<rel>"                           the run stopped waiting for it (a stall, or a stop)
//   C "<rel>"                           the decoder crashed on it (written by the fault handler)
//   X <size> <mtime> "<rel>"            the decoder crashed on it in a worker; the run went on
// A photo started and never ended was in flight when its run died. Such photos are processed
// alone, one at a time, before the others in the next run, so that an innocent neighbour is not
// blamed. Only a real crash counts: a photo the decoder crashed on `deathsToPassOver` times is
// passed over and counted unreadable until the file changes, the program or its libraries
// change, or the user asks for a retry. A run killed from outside (SIGKILL, a second Ctrl-C) or
// one that stopped waiting counts nothing against the photos in flight.
#pragma once

#include "engine/walk/FileEntry.h"
#include "engine/base/UniqueFd.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class PhotoJournal {
public:
    static constexpr int deathsToPassOver = 3;

    /// Reads what earlier runs left for these entries; a count whose photo has since changed in
    /// size or time, or left the source, is forgotten. A missing or damaged file counts nothing.
    /// When `fingerprint` differs from the one the counts were written under, or with
    /// `retryPassedOver`, photos passed over are tried once more, alone.
    PhotoJournal(std::filesystem::path file, const std::vector<FileEntry>& entries, std::string fingerprint = {},
                 bool retryPassedOver = false);
    PhotoJournal(const PhotoJournal&) = delete;
    PhotoJournal& operator=(const PhotoJournal&) = delete;

    /// A decoder crashed on this photo too often.
    bool passesOver(const FileEntry& entry) const;
    /// An earlier run died with this photo in flight; it is processed alone.
    bool isSuspect(const FileEntry& entry) const;

    /// Starts this run's record, and from now on a decoder's crash on a worker thread is
    /// written down before the process dies. Best effort: without a file the run goes on
    /// unrecorded.
    void open();

    /// One photo in flight; ends its record when it goes.
    class Flight {
    public:
        Flight() = default;
        Flight(Flight&& other) noexcept : journal(other.journal), rel(std::move(other.rel)) { other.journal = nullptr; }
        Flight& operator=(Flight&&) = delete;
        ~Flight();
        /// False when the run gave up before this photo's turn: it is not to be processed.
        explicit operator bool() const { return journal != nullptr; }

    private:
        friend class PhotoJournal;
        Flight(PhotoJournal* journal, std::string rel) : journal(journal), rel(std::move(rel)) {}
        PhotoJournal* journal = nullptr;
        std::string rel;
    };

    /// Waits until the photo may start (a suspect waits to be alone, others wait while a suspect
    /// runs), then records it. Safe from several threads; call it on the thread that processes
    /// the photo, whose crash it then records.
    Flight begin(const FileEntry& entry);
    /// How many photos wait in begin() for their turn.
    std::size_t waiting() const;

    /// The decoder crashed on this photo in a worker process: the run goes on, and the crash
    /// counts against the photo as one that took the run with it does.
    void crashed(const FileEntry& entry);

    /// The photo was found done without being processed (a playable copy that a run killed
    /// before it could say so had made): it is no longer suspect. Its crashes stay counted.
    void settled(const std::string& rel);

    /// Gives up on every photo in flight: each is recorded as given up (which counts nothing
    /// against it), and photos still waiting for their turn are let go unprocessed. Returns
    /// the photos that were in flight.
    std::vector<std::string> giveUp();

    /// Processing is over: keeps only the counts that still matter, or removes the file.
    void close();

private:
    struct Count {
        int deaths = 0; ///< crashes; 0 for a photo only suspected
        std::int64_t size = 0;
        std::int64_t mtime = 0;
        /// The count of a file of `now` size and time after `crashes` more: what was counted
        /// carries over only while the file is the same.
        Count then(int crashes, std::int64_t nowSize, std::int64_t nowMtime) const
        {
            const int before = size == nowSize && mtime == nowMtime ? deaths : 0;
            return {std::min(before + crashes, deathsToPassOver), nowSize, nowMtime};
        }
    };

    std::string countLines() const;
    void append(const std::string& line);
    void end(const std::string& rel);

    const std::filesystem::path file;
    const std::string fingerprint;
    mutable std::mutex mutex; ///< guards everything below; never held while a photo is processed
    std::condition_variable turn;
    std::unordered_map<std::string, Count> counts; ///< suspects, with their crashes
    std::unordered_map<std::string, Count> inFlight; ///< deaths unused
    std::unordered_map<std::string, Count> workerCrashes; ///< this run's crashes in a worker, counted
    bool alone = false;     ///< a suspect is being processed
    bool gaveUp = false;
    std::size_t waitingCount = 0;
    UniqueFd fd;
};
