// Duplicate collapsing on a large tree: the name-and-size rule alone against the same rule with
// every candidate copy confirmed by a sample of its content, and then by its whole content
// (what a run does).
//   bench_dedupe [PHOTOS=50000] [DIR=/tmp/kestova-dedupe-bench]
// One photo in ten has a true copy in Backup/, one in fifty shares its name and size with a
// different photo (scans of one roll), the rest are unique. The photos are sparse files of 3 MB
// whose start, middle and end hold their own bytes, so the samples read what real files hold.
// Prints the median of five runs of the walk and of each kind of collapsing, and their ratios.
// The whole-content comparison reads both files of every sampled copy to the end.
#include "engine/run/Indexer.h"
#include "engine/walk/ContentSample.h"
#include "engine/walk/Dedupe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::int64_t photoSize = 3 * 1024 * 1024;

/// A sparse photo-sized file whose sampled places hold bytes made from `seed`.
void writePhoto(const fs::path& file, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::string bytes(4096, '\0');
    for (char& c : bytes)
        c = char(random());
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (const std::int64_t at : {std::int64_t(0), photoSize / 2, photoSize - 4096})
        [[maybe_unused]] const auto n = ::pwrite(fd, bytes.data(), bytes.size(), at);
    [[maybe_unused]] const int r = ::ftruncate(fd, photoSize);
    ::close(fd);
}

void generate(const fs::path& src, int photos)
{
    std::printf("generating %d photos under %s ...\n", photos, src.c_str());
    fs::remove_all(src);
    for (int i = 0; i < photos; ++i) {
        const std::string dir = "Camera/" + std::to_string(2005 + i / 1000);
        fs::create_directories(src / dir);
        const std::string name = "IMG_" + std::to_string(10000 + i) + ".JPG";
        writePhoto(src / dir / name, std::uint32_t(i));
        if (i % 10 == 0) {
            fs::create_directories(src / "Backup" / dir);
            writePhoto(src / "Backup" / dir / name, std::uint32_t(i));
        } else if (i % 50 == 1) {
            fs::create_directories(src / "Roll02" / dir);
            writePhoto(src / "Roll02" / dir / name, std::uint32_t(photos + i));
        }
    }
    std::ofstream(src / ".ready") << photos;
}

template <class F>
double median(F&& f)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        f();
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

} // namespace

int main(int argc, char** argv)
{
    const int photos = argc > 1 ? std::atoi(argv[1]) : 50000;
    const fs::path base = argc > 2 ? argv[2] : "/tmp/kestova-dedupe-bench";
    const fs::path src = base / "src";
    std::ifstream ready(src / ".ready");
    int have = 0;
    if (!(ready >> have) || have != photos)
        generate(src, photos);

    const Indexer job(src, base / "wall", "Bench", true, nullptr);
    const std::vector<FileEntry> entries = scan(job.walkSettings());
    std::size_t byName = 0, byContent = 0;
    const double walk = median([&] { (void)scan(job.walkSettings()); });
    const double nameAndSize = median([&] { byName = dedupe(entries).size(); });
    const double confirmed = median([&] {
        byContent = dedupe(entries, [&](const FileEntry& e) { return ContentSample::of(job.root / std::filesystem::path(e.rel), e.size); }).size();
    });
    std::size_t byWhole = 0;
    const double whole = median([&] {
        byWhole = dedupe(entries, [&](const FileEntry& e) { return ContentSample::of(job.root / std::filesystem::path(e.rel), e.size); },
                                  [&](const FileEntry& a, const FileEntry& b) { return ContentSample::same(job.root / std::filesystem::path(a.rel), job.root / std::filesystem::path(b.rel), a.size); })
                      .size();
    });
    std::printf("%zu photos found; %zu after name and size, %zu after confirming samples, %zu after whole content\n",
                entries.size(), byName, byContent, byWhole);
    std::printf("walk                      %8.3f s\n", walk);
    std::printf("collapse, name and size   %8.3f s  (baseline)\n", nameAndSize);
    std::printf("collapse, samples         %8.3f s  = %.1f x the baseline\n", confirmed, confirmed / nameAndSize);
    std::printf("collapse, whole content   %8.3f s  = %.1f x the baseline, %.2f x the samples\n", whole,
                whole / nameAndSize, whole / confirmed);
    std::printf("walk + collapse           %8.3f s -> %8.3f s (samples) -> %8.3f s (whole)\n", walk + nameAndSize,
                walk + confirmed, walk + whole);
    return 0;
}
