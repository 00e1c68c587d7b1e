// Per-file processing time: process() on each file given, its thumbnail, poster and
// preview removed before every run, so each run decodes.
//   bench_media FILE...
// One line per file: the best of three runs in wall-clock and in the process's CPU milliseconds,
// without and with the large preview the wall's run adds.
// Give a photo of the same size among the files for the baseline: a video's poster should cost
// about what a photo's thumbnail does.
#include "engine/run/Indexer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: bench_media FILE...\n", stderr);
        return 2;
    }
    const fs::path out = fs::temp_directory_path() / "kestova-bench-media";
    std::printf("%-32s %10s %10s %12s %12s %s\n", "file", "wall_ms", "cpu_ms", "wall_ms+prev", "cpu_ms+prev",
                "record");
    for (int i = 1; i < argc; ++i) {
        const fs::path file = fs::absolute(argv[i]);
        const Indexer job(file.parent_path(), out, "bench", false, {});
        const FileEntry entry{file.filename().string(), std::int64_t(fs::file_size(file)), 0};
        // Plain processing (the thumbnail or poster alone), then as the wall's run processes,
        // with the large preview of a photo browsers cannot show or of a video's poster.
        double wall[2] = {1e18, 1e18}, cpu[2] = {1e18, 1e18};
        bool ok = true;
        for (int withPreview = 0; withPreview < 2; ++withPreview) {
            for (int run = 0; run < 3 && ok; ++run) {
                std::error_code ec;
                fs::remove_all(out, ec);
                const auto start = std::chrono::steady_clock::now();
                const double cpuStart = processCpuMs();
                ok = processPhoto(job.photoWork(), entry, KeepThumbnail::never, {withPreview == 1, false}).record.has_value();
                cpu[withPreview] = std::min(cpu[withPreview], processCpuMs() - cpuStart);
                wall[withPreview] = std::min(
                    wall[withPreview],
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            }
        }
        std::printf("%-32s %10.1f %10.1f %12.1f %12.1f %s\n", entry.rel.c_str(), wall[0], cpu[0], wall[1], cpu[1],
                    ok ? "yes" : "unreadable");
        std::fflush(stdout);
    }
    std::error_code ec;
    fs::remove_all(out, ec);
    return 0;
}
