// Preview benchmark: what a large preview adds to the processing of photos browsers cannot show.
//   bench_preview FILE...   (KESTOVA_PREVIEW_CANDIDATES=2048:70,1600:80 to try only those)
// For each photo and each preview size and quality tried, one line:
//   file size quality thumb_cpu_ms both_cpu_ms extra_percent preview_bytes original_bytes
//   bytes_ratio psnr_1x psnr_2x detail_1x detail_2x
// The baseline is the same photo's thumbnail alone, decoded and measured in the same run; CPU
// time is the process's own (all its threads), so other work on the machine does not count.
// Sharpness compares the preview with the full original, both fitted to a 1440x900 screen at 1x
// (1440x900 pixels) and 2x (2880x1800): PSNR in dB, and detail as the preview's gradient energy
// against the original's.
#include "engine/decode/RawPhoto.h"
#include "engine/decode/VipsPhoto.h"

#include <vips/vips8>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using vips::VImage;

namespace {

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool isRaw(const fs::path& file)
{
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    for (const char* raw : {".dng", ".cr2", ".cr3", ".nef", ".arw", ".raf", ".orf", ".rw2"})
        if (ext == raw)
            return true;
    return false;
}

/// CPU time of one decode writing the targets, the best of three runs.
double cpuMs(const fs::path& file, const JpegTargets& targets)
{
    double best = 1e18;
    for (int run = 0; run < 3; ++run) {
        const double start = processCpuMs();
        bool ok = false;
        if (isRaw(file)) {
            if (auto raw = RawPhoto::open(file))
                if (auto pixels = raw->decodeHalfSize())
                    ok = bool(writeJpegs(*pixels, targets));
        } else if (auto photo = VipsPhoto::open(file)) {
            ok = bool(photo->writeJpegs(targets));
        }
        if (!ok)
            return -1;
        best = std::min(best, processCpuMs() - start);
    }
    return best;
}

VImage fittedTo(const VImage& image, int boxWidth, int boxHeight)
{
    const double scale = std::min(double(boxWidth) / image.width(), double(boxHeight) / image.height());
    return image.resize(scale, VImage::option()->set("kernel", VIPS_KERNEL_LANCZOS3));
}

double psnr(const VImage& a, const VImage& b)
{
    const VImage diff = (a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT));
    const double mse = (diff * diff).avg();
    return mse <= 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

double gradientEnergy(const VImage& image)
{
    const VImage grey = image.colourspace(VIPS_INTERPRETATION_B_W).cast(VIPS_FORMAT_FLOAT);
    const VImage dx = grey.extract_area(1, 0, grey.width() - 1, grey.height()) -
                      grey.extract_area(0, 0, grey.width() - 1, grey.height());
    return (dx * dx).avg();
}

/// The original as a screen of the given box shows it: fitted to the box, never enlarged.
VImage shownOriginal(const VImage& full, int boxWidth, int boxHeight)
{
    const double scale = std::min({1.0, double(boxWidth) / full.width(), double(boxHeight) / full.height()});
    const int w = std::max(1, int(std::lround(full.width() * scale)));
    const int h = std::max(1, int(std::lround(full.height() * scale)));
    return fittedTo(full, w, h).cast(VIPS_FORMAT_UCHAR).copy_memory();
}

/// The preview shown at the reference's size against the reference: PSNR and detail.
void compare(const VImage& reference, const fs::path& preview, double& psnrOut, double& detailOut)
{
    const VImage large = VImage::new_from_file(preview.c_str());
    const int w = reference.width(), h = reference.height();
    VImage shown = large.resize(double(w) / large.width(), VImage::option()
                                                               ->set("vscale", double(h) / large.height())
                                                               ->set("kernel", VIPS_KERNEL_LANCZOS3))
                       .cast(VIPS_FORMAT_UCHAR);
    const int cw = std::min(w, shown.width());
    const int ch = std::min(h, shown.height());
    const VImage ref = reference.extract_area(0, 0, cw, ch);
    shown = shown.extract_area(0, 0, cw, ch);
    psnrOut = psnr(ref, shown);
    detailOut = gradientEnergy(shown) / std::max(1e-9, gradientEnergy(ref));
}

/// The candidates, "SIZE:QUALITY,..." from KESTOVA_PREVIEW_CANDIDATES, else the usual grid.
std::vector<std::pair<int, int>> candidates()
{
    std::vector<std::pair<int, int>> list;
    if (const char* text = std::getenv("KESTOVA_PREVIEW_CANDIDATES")) {
        int size = 0, quality = 0, used = 0;
        for (const char* at = text; std::sscanf(at, "%d:%d%n", &size, &quality, &used) == 2;) {
            list.emplace_back(size, quality);
            at += used;
            if (*at != ',')
                break;
            ++at;
        }
    }
    if (list.empty())
        for (const int size : {1440, 1600, 1920, 2048, 2560})
            for (const int quality : {70, 75, 80})
                list.emplace_back(size, quality);
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: bench_preview FILE...\n", stderr);
        return 2;
    }
    if (VIPS_INIT(argv[0]) != 0)
        return 1;
    const fs::path out = fs::temp_directory_path() / "kestova-bench-preview";
    fs::create_directories(out);
    const fs::path thumb = out / "thumb.jpg";
    const fs::path preview = out / "preview.jpg";
    std::printf("%-28s %5s %3s %9s %9s %6s %9s %9s %6s %6s %6s %6s %6s\n", "file", "size", "q", "thumb_ms",
                "both_ms", "extra%", "prev_B", "orig_B", "ratio", "psnr1x", "psnr2x", "det1x", "det2x");
    for (int i = 1; i < argc; ++i) {
        const fs::path file = argv[i];
        const double alone = cpuMs(file, JpegTargets{thumb, {420, 55}, {}, {}});
        if (alone < 0) {
            std::printf("%-28s unreadable\n", file.filename().c_str());
            continue;
        }
        // Raw files are compared with nothing: libvips cannot read them, and their preview is
        // made from their own half-size development.
        std::optional<VImage> screen1x, screen2x;
        if (!isRaw(file)) {
            VImage full = VImage::new_from_file(file.c_str()).autorot().colourspace(VIPS_INTERPRETATION_sRGB);
            if (full.bands() > 3)
                full = full.extract_band(0, VImage::option()->set("n", 3));
            full = full.copy_memory();
            screen1x = shownOriginal(full, 1440, 900);
            screen2x = shownOriginal(full, 2880, 1800);
        }
        for (const auto& [size, quality] : candidates()) {
            const double both = cpuMs(file, JpegTargets{thumb, {420, 55}, preview, {size, quality}});
            const auto bytes = fs::file_size(preview);
            const auto originalBytes = fs::file_size(file);
            double psnr1 = 0, psnr2 = 0, detail1 = 0, detail2 = 0;
            if (screen1x) {
                compare(*screen1x, preview, psnr1, detail1);
                compare(*screen2x, preview, psnr2, detail2);
            }
            std::printf("%-28s %5d %3d %9.1f %9.1f %6.1f %9ju %9ju %6.3f %6.2f %6.2f %6.3f %6.3f\n",
                        file.filename().c_str(), size, quality, alone, both, 100 * (both - alone) / alone,
                        std::uintmax_t(bytes), std::uintmax_t(originalBytes), double(bytes) / originalBytes, psnr1,
                        psnr2, detail1, detail2);
            std::fflush(stdout);
        }
    }
    std::error_code ec;
    fs::remove_all(out, ec);
    return 0;
}
