// Writing the benchmark photo sets, several photos at a time.
#include "BenchSets.h"

#include "Encoders.h"
#include "ExifStamp.h"
#include "Scene.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace samples {
namespace {

struct Camera {
    const char* make;
    const char* model;
};

constexpr Camera cameras[] = {
    {"Canon", "Canon EOS 5D Mark IV"},
    {"NIKON CORPORATION", "NIKON Z 6"},
    {"SONY", "ILCE-7M3"},
};

// Capture times step forward by an uneven stride from 2015-01-01, so the photos spread over
// many months and years and wrap around after ten years.
std::string captureDate(int index)
{
    const std::int64_t start = utcSeconds(2015, 1, 1, 8, 0, 0);
    const std::int64_t span = utcSeconds(2025, 1, 1) - start;
    const std::int64_t t = start + (static_cast<std::int64_t>(index) * 3 * 86400 + index * 7919LL) % span;
    const time_t seconds = static_cast<time_t>(t);
    tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

std::int64_t mtimeFor(const std::string& date)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    std::sscanf(date.c_str(), "%d:%d:%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    return utcSeconds(y, mo, d, h, mi, s) + 30;
}

/// Runs `work(i)` for i in [0, count) on all processors; the first failure stops the others
/// and is rethrown here.
template <typename Work>
void forEachIndex(int count, Work work)
{
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr firstError;
    std::mutex errorLock;
    const unsigned workers = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
    std::vector<std::jthread> threads;
    for (unsigned t = 0; t < workers; ++t) {
        threads.emplace_back([&] {
            for (int i = next++; i < count && !failed; i = next++) {
                try {
                    work(i);
                } catch (...) {
                    const std::lock_guard guard(errorLock);
                    if (!firstError)
                        firstError = std::current_exception();
                    failed = true;
                }
            }
        });
    }
    threads.clear(); // joins
    if (firstError)
        std::rethrow_exception(firstError);
}

} // namespace

void writeBenchPhotos(const OutputTree& tree, int count)
{
    forEachIndex(count, [&](int i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04d.JPG", i + 1);
        char caption[32];
        std::snprintf(caption, sizeof caption, "BENCH %04d", i + 1);
        const Camera& camera = cameras[i % std::size(cameras)];
        ExifFields exif;
        exif.make = camera.make;
        exif.model = camera.model;
        exif.orientation = 1;
        exif.dateTimeOriginal = captureDate(i);
        exif.dateTimeDigitized = exif.dateTimeOriginal;
        exif.dateTime = exif.dateTimeOriginal;
        // Grain like a camera's at base ISO keeps the JPEG near a real camera's file size.
        const Canvas canvas = paintLandscape(0xbe7c4ULL + static_cast<std::uint64_t>(i), caption, {4000, 3000, 3, 8});
        tree.writeFile(name, withExif(encodeJpeg(canvas, 92), exif), mtimeFor(*exif.dateTimeOriginal));
    });
}

void writeTinyPhotos(const OutputTree& tree, int count)
{
    const auto folderOf = [](int i) {
        char folder[32];
        std::snprintf(folder, sizeof folder, "batch-%05d", i / tinyPerFolder + 1);
        return std::string(folder);
    };
    for (int i = 0; i < count; i += tinyPerFolder)
        tree.createFolder(folderOf(i));

    forEachIndex(count, [&](int i) {
        char name[32];
        std::snprintf(name, sizeof name, "/tiny-%07d.jpg", i + 1);
        ExifFields exif;
        exif.dateTimeOriginal = captureDate(i);
        const Canvas canvas = paintLandscape(0x7141ULL + static_cast<std::uint64_t>(i), {}, {16, 16, 3, 3});
        tree.writeFile(folderOf(i) + name, withExif(encodeJpeg(canvas, 80), exif), mtimeFor(*exif.dateTimeOriginal));
    });
}

} // namespace samples
