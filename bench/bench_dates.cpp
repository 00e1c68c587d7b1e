// Times date inference on the inputs a wall update sees: one capture-date text per photo, and a
// relative path for the photos without one.
#include "dates/Dates.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int callCount = 100000;

std::vector<std::string> exifTexts()
{
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i) {
        char text[64];
        switch (i % 10) {
        case 7: texts.emplace_back(""); continue;  // no date property
        case 8: texts.emplace_back("0000:00:00 00:00:00"); continue;
        case 9:
            std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d+02:00", 2000 + i % 25, 1 + i % 12,
                          1 + i % 28, i % 24, i % 60, (i * 7) % 60);
            break;
        default:
            std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", 2000 + i % 25, 1 + i % 12, 1 + i % 28,
                          i % 24, i % 60, (i * 7) % 60);
        }
        texts.emplace_back(text);
    }
    return texts;
}

std::vector<std::string> paths()
{
    std::vector<std::string> all;
    for (int i = 0; i < 1000; ++i) {
        char path[160];
        switch (i % 8) {
        case 0: std::snprintf(path, sizeof path, "DCIM/100CANON/IMG_%04d.JPG", i); break;
        case 1: std::snprintf(path, sizeof path, "Photos/2019/2019-07-%02d Rome/IMG_%04d.JPG", 1 + i % 28, i); break;
        case 2: std::snprintf(path, sizeof path, "Phone/Camera/IMG_2020%02d%02d_1200%02d.jpg", 1 + i % 12, 1 + i % 28, i % 60); break;
        case 3: std::snprintf(path, sizeof path, "Holidays/Summer 2018/DSC0%04d.JPG", i); break;
        case 4: std::snprintf(path, sizeof path, "Family/Christmas/Scans/scan %d.tif", i); break;
        case 5: std::snprintf(path, sizeof path, "Archive/Old drive/Pictures/July 4, 2016/P%07d.NEF", i); break;
        case 6: std::snprintf(path, sizeof path, "Backup/Users/anna/Pictures/Exports/1920x1080/wall_%d.png", i); break;
        default: std::snprintf(path, sizeof path, "WhatsApp Images/IMG-2021%02d%02d-WA%04d.jpg", 1 + i % 12, 1 + i % 28, i);
        }
        all.emplace_back(path);
    }
    return all;
}

template <typename Call>
double microsecondsPerCall(const std::vector<std::string>& inputs, Call call)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < callCount; ++i)
        call(inputs[static_cast<std::size_t>(i) % inputs.size()]);
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / callCount;
}

} // namespace

int main()
{
    const auto texts = exifTexts();
    const auto pathList = paths();
    std::int64_t sink = 0;  // keeps the calls from being optimised away
    std::int64_t dated = 0;

    // The first call compiles the patterns; a wall update pays that once.
    const auto firstStart = std::chrono::steady_clock::now();
    sink += Dates::fromExif(texts[0]).value_or(0);
    sink += Dates::fromPath(pathList[1]).value_or(std::pair<std::int64_t, std::string>{}).first;
    const std::chrono::duration<double, std::micro> first = std::chrono::steady_clock::now() - firstStart;

    const double exif = microsecondsPerCall(texts, [&](const std::string& text) {
        if (const auto date = Dates::fromExif(text)) {
            sink += *date;
            ++dated;
        }
    });
    const double path = microsecondsPerCall(pathList, [&](const std::string& p) {
        if (const auto date = Dates::fromPath(p)) {
            sink += date->first;
            ++dated;
        }
    });

    std::printf("first calls (compiling the patterns): %.1f us\n", first.count());
    std::printf("fromExif: %d calls, %.3f us per call, %.1f ms in all\n", callCount, exif, exif * callCount / 1000);
    std::printf("fromPath: %d calls, %.3f us per call, %.1f ms in all\n", callCount, path, path * callCount / 1000);
    std::printf("(%lld dated, checksum %lld)\n", static_cast<long long>(dated), static_cast<long long>(sink));
    return 0;
}
