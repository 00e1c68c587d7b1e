// Update with nothing to do: a second run over an unchanged tree of many photos.
//   bench_update [PHOTOS=100000] [DIR=/tmp/kestova-update-bench]
// The tree holds tiny files with photo names; the wall's cache and thumbnails are pre-filled as
// a finished first run leaves them, so the run below processes nothing. Prints the time of the
// whole run() and a breakdown of its steps, each measured on its own, the size of the page's data
// (wall.js and its pieces) against manifest.js, and the peak memory.
#include "engine/run/Indexer.h"
#include "engine/walk/Dedupe.h"
#include "engine/cache/CacheFormat.h"
#include "engine/cache/ProgressCache.h"
#include "engine/run/ReuseTest.h"
#include "engine/wall/WallStamp.h"
#include "engine/wall/WallOutput.h"
#include "engine/wall/WallPieces.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void generate(const fs::path& src, const fs::path& out, int photos)
{
    std::printf("generating %d photos under %s ...\n", photos, src.c_str());
    fs::remove_all(src);
    fs::create_directories(out / "thumbs");
    CacheMap cache;
    const char* months[] = {"January", "March", "July", "October"};
    for (int i = 0; i < photos; ++i) {
        // Folders of 250 photos with a mix of dated and undated names, like a real drive.
        const int folder = i / 250;
        std::string dir = (folder % 3 == 0) ? "Camera/" + std::to_string(2005 + folder % 18) + "-0" + std::to_string(1 + folder % 9) + "-1" + std::to_string(folder % 10)
                        : (folder % 3 == 1) ? "Phone/" + std::string(months[folder % 4]) + " " + std::to_string(3 + folder % 20) + ", " + std::to_string(2010 + folder % 14)
                                            : "Family/Album " + std::to_string(folder);
        const std::string rel = dir + "/IMG_" + std::to_string(10000 + i) + ".JPG";
        fs::create_directories(src / dir);
        std::ofstream(src / rel) << "x";
        struct stat st{};
        stat((src / rel).c_str(), &st);
        const std::string key = WallPaths::key(rel);
        fs::create_directories(out / "thumbs" / key.substr(0, 2));
        std::ofstream(out / "thumbs" / key.substr(0, 2) / (key + ".jpg")) << "j";
        const std::string date = i % 2 ? "2019:07:15 18:30:05" : "";
        // As a finished run leaves it: with the file's stamp and the metadata's details (none).
        const Record::FileStamp stamp{std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec,
                                      std::int64_t(st.st_ino)};
        cache[rel] = Record::withDetails(Record::make(key, 4032, 3024, date, st.st_mtim.tv_sec, st.st_size, {}, stamp), {});
    }
    std::ofstream(out / ".cache.json") << CacheFormat::serialize(cache);
    std::ofstream(src / ".ready") << photos << " 2";
}

} // namespace

int main(int argc, char** argv)
{
    const int photos = argc > 1 ? std::atoi(argv[1]) : 100000;
    const fs::path base = argc > 2 ? argv[2] : "/tmp/kestova-update-bench";
    const fs::path src = base / "src";
    const fs::path out = src / "_Photo Gallery";
    {
        std::ifstream ready(src / ".ready");
        // The second number is the tree's version: a tree of an older version is made again.
        int have = 0;
        int version = 0;
        if (!(ready >> have >> version) || have != photos || version != 2)
            generate(src, out, photos);
    }

    Indexer job(src, out, "Bench", true, nullptr);
    // Warm the page cache the way a second run finds it.
    (void)scan(job.walkSettings());

    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    auto t = Clock::now();
    const JobSummary summary = job.run();
    const double total = seconds(t);
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const auto cpu = [](const rusage& u) {
        return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };

    // The same steps one by one.
    Indexer steps(src, out, "Bench", true, nullptr);
    t = Clock::now();
    auto entries = scan(steps.walkSettings());
    const double walk = seconds(t);
    t = Clock::now();
    entries = dedupe(entries);
    const double dedupe = seconds(t);
    t = Clock::now();
    CacheInOrder inOrder;
    auto read = ProgressCache::readCache(steps.wall.cacheURL(), &inOrder);
    CacheMap map = read ? std::move(*read) : CacheMap{}; // moved, so that `inOrder` still points into it
    const double load = seconds(t);
    t = Clock::now();
    auto files = ProgressCache::WallIndex::of(steps.wall);
    files.listFor(map);
    const double listing = seconds(t);
    t = Clock::now();
    const std::size_t todo = testReuse(entries, map, files, {}, inOrder).todo.size();
    const double reuse = seconds(t);
    // What an update that changes no record does instead of the steps after it.
    t = Clock::now();
    const bool standing =
        WallStamp::standing(steps.wall.stampFile(), out, WallOutput::stampInputs(steps.wallTarget(), {})).has_value();
    const double stamp = seconds(t);
    t = Clock::now();
    ProgressCache::prune(map, entries);
    ProgressCache::saveCache(steps.wall.cacheURL(), map);
    const double save = seconds(t);
    t = Clock::now();
    const Wall wall = WallOutput::buildWall(map);
    const double dating = seconds(t);
    t = Clock::now();
    WallOutput::writeWall(steps.wallTarget(), wall.entries);
    const double write = seconds(t);
    // The page's data alone: the texts of the pieces and the index, and their bytes on disk.
    t = Clock::now();
    const std::string root = WallOutput::rootText(steps.wallTarget());
    const WallPieces::Data data = WallPieces::plan({steps.title, root}, wall.entries, "0000000000000000");
    std::size_t textBytes = 0;
    for (std::size_t n = 0; n < data.pieces.size(); ++n)
        textBytes += WallPieces::pieceText(data, n, wall.entries).size();
    const double pieceTexts = seconds(t);
    std::uintmax_t pieceBytes = 0;
    std::size_t pieces = 0;
    for (const auto& e : fs::directory_iterator(steps.wall.dataDir())) {
        pieceBytes += e.file_size();
        ++pieces;
    }
    const std::uintmax_t manifestBytes = fs::file_size(steps.wall.manifestFile());
    const std::uintmax_t indexBytes = fs::file_size(steps.wall.wallIndexFile());

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("photos %lld (found %lld, to process %zu, undated %lld, partial %d)\n",
                static_cast<long long>(summary.photos), static_cast<long long>(summary.found), todo,
                static_cast<long long>(summary.undated), summary.partial);
    std::printf("run():             %.3f s wall, %.3f s CPU  (goal: a no-op update at most 0.80x a find that stats each file, bench/update.sh)\n", total, cpu(after) - cpu(before));
    std::printf("  walk             %.3f s\n  dedupe           %.3f s\n  cache load       %.3f s  (run() reads it while it walks)\n"
                "  wall's listing   %.3f s  (the same)\n  reuse test       %.3f s  (two halves at once)\n"
                "  stamp check      %.3f s  (the wall %s)\n"
                " * prune + save     %.3f s\n * dating + sort    %.3f s\n"
                " * wall write       %.3f s  (manifest.js, wall.js and its pieces; the pieces' texts alone %.3f s)\n",
                walk, dedupe, load, listing, reuse, stamp, standing ? "stands" : "does not stand", save, dating, write,
                pieceTexts);
    std::printf("manifest.js %.2f MB; wall.js %.1f kB + %zu pieces %.2f MB = %.0f %% of manifest.js\n",
                manifestBytes / 1e6, indexBytes / 1e3, pieces, pieceBytes / 1e6,
                100.0 * double(indexBytes + pieceBytes) / double(manifestBytes));
    if (data.pieces.size() != pieces || textBytes + data.index.size() != pieceBytes + indexBytes)
        std::printf("(on disk %zu pieces of %ju bytes, made here %zu of %zu)\n", pieces, pieceBytes + indexBytes,
                    data.pieces.size(), textBytes + data.index.size());
    std::printf("(* run() skips these steps when no record changed and the wall's stamp stands)\n");
    std::printf("peak resident memory: %.0f MB (goal under 300 MB)\n", usage.ru_maxrss / 1024.0);
    return todo == 0 ? 0 : 1;
}
