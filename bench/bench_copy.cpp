// Playable copies of videos: copyVideo() on each file given, as a run's worker makes it.
//   bench_copy FILE...
// One line per file: the video's length, the copy's wall-clock time and the process's CPU time,
// time against length (below 1: faster than the video plays), and the copy's bytes against the
// original's.
#include "engine/run/Indexer.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (argc - 1) % 2 != 0) {
        std::fputs("usage: bench_copy FILE SECONDS [FILE SECONDS]...\n", stderr);
        return 2;
    }
    const fs::path out = fs::temp_directory_path() / "kestova-bench-copy";
    std::printf("%-36s %8s %9s %9s %11s %11s\n", "file", "length_s", "wall_s", "cpu_s", "wall/length", "copy/orig");
    for (int i = 1; i + 1 < argc; i += 2) {
        const fs::path file = fs::absolute(argv[i]);
        const double length = std::atof(argv[i + 1]);
        const Indexer job(file.parent_path(), out, "bench", false, {});
        const std::string rel = file.filename().string();
        const fs::path copy = out / WallPaths::videoCopyName(WallPaths::key(rel));
        std::error_code ec;
        fs::remove(copy, ec);
        const double cpu = processCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const PhotoOutcome made = copyVideo(job.photoWork(), rel, {rel, false});
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double used = processCpuSeconds() - cpu;
        if (made.end != PhotoEnd::done) {
            std::printf("%-36s no copy\n", rel.c_str());
            continue;
        }
        const double ratio = double(fs::file_size(copy)) / double(fs::file_size(file));
        std::printf("%-36s %8.1f %9.2f %9.2f %11.2f %11.2f\n", rel.c_str(), length, wall, used, wall / length, ratio);
    }
    std::error_code ec;
    fs::remove_all(out, ec);
    return 0;
}
