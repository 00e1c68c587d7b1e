// Photo processing benchmark: process() over every photo of a folder on N threads, in
// this process or, with "workers", in decoding worker processes as a run does.
//   bench_process SOURCE_DIR OUT_DIR [THREADS [workers]]
// OUT_DIR's thumbnails are removed first, so every photo is decoded. Prints one line:
//   photos=N failed=F threads=T seconds=S photos_per_second=R
#include "engine/run/Indexer.h"
#include "engine/decode/BuildFingerprint.h"
#include "engine/run/DecoderProcesses.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: bench_process SOURCE_DIR OUT_DIR [THREADS]\n", stderr);
        return 2;
    }
    const fs::path source = argv[1];
    const fs::path out = argv[2];
    const int threads = argc > 3 ? std::max(1, std::atoi(argv[3])) : 2;
    const bool inWorkers = argc > 4 && std::string(argv[4]) == "workers";

    std::vector<FileEntry> entries;
    for (const auto& item : fs::directory_iterator(source)) {
        if (item.is_regular_file() && item.path().filename().string().front() != '.')
            entries.push_back({item.path().filename().string(), std::int64_t(item.file_size()), 0});
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.rel < b.rel; });
    if (entries.empty()) {
        std::fprintf(stderr, "bench_process: no files in %s\n", source.c_str());
        return 1;
    }
    fs::remove_all(out / "thumbs");
    fs::create_directories(out);

    const Indexer indexer(source, out, "bench", false, {});
    std::optional<DecoderProcesses> decoders;
    if (inWorkers) {
        const auto program = DecoderProcesses::program();
        if (!program) {
            std::fputs("bench_process: kestova-worker is not beside this program\n", stderr);
            return 1;
        }
        decoders.emplace(*program, WorkerProtocol::Hello{BuildFingerprint::current(), source, out, false});
    }
    const auto processed = [&](const FileEntry& entry) {
        if (!decoders)
            return process(indexer.photoWork(), entry).has_value();
        const auto outcome = decoders->process({entry, false, false, false});
        return outcome && outcome->end == PhotoEnd::done;
    };
    std::atomic<std::size_t> next{0};
    std::atomic<int> failed{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < entries.size(); i = next++) {
                if (!processed(entries[i]))
                    ++failed;
            }
        });
    }
    for (auto& worker : workers)
        worker.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("photos=%zu failed=%d threads=%d seconds=%.3f photos_per_second=%.1f\n", entries.size(),
                failed.load(), threads, seconds, double(entries.size()) / seconds);
    return failed.load() == 0 ? 0 : 1;
}
