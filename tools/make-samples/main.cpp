// kestova-make-samples: writes the sample photo tree, or a benchmark photo set, into a folder.
#include "BenchSets.h"
#include "OutputTree.h"
#include "SampleTree.h"

#include <vips/vips.h>

#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* usage =
    "usage: kestova-make-samples OUTDIR\n"
    "       kestova-make-samples --bench-photos N OUTDIR   (N 4000x3000 camera-sized JPEGs)\n"
    "       kestova-make-samples --tiny N OUTDIR           (N 16x16 JPEGs, 200 to a folder)\n"
    "OUTDIR is created; an existing OUTDIR must be empty or an earlier output of this tool.\n";

std::optional<int> countOf(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

// libvips keeps global state of its own; this holds it for the run and shuts it down after.
struct VipsSession {
    explicit VipsSession(const char* argv0)
    {
        if (VIPS_INIT(argv0) != 0)
            throw std::runtime_error(std::string("cannot start libvips: ") + vips_error_buffer());
        // Cached operations would only hold memory: every picture is made once.
        vips_cache_set_max(0);
    }
    ~VipsSession() { vips_shutdown(); }
    VipsSession(const VipsSession&) = delete;
    VipsSession& operator=(const VipsSession&) = delete;
};

int run(int argc, char** argv)
{
    if (argc == 2 && argv[1][0] != '-') {
        VipsSession vips(argv[0]);
        const samples::OutputTree tree(argv[1]);
        const samples::SampleCounts c = samples::writeSampleTree(tree);
        std::printf("kestova-make-samples: wrote %d photos for the wall, %d duplicate copies, %d unreadable, "
                    "%d files to be passed over and %d symbolic links to %s\n",
                    c.wallPhotos, c.duplicates, c.unreadable, c.ignored, c.links, argv[1]);
        if (!c.skipped.empty())
            std::printf("kestova-make-samples: note: this system cannot write%s, so the tree has no such file\n",
                        c.skipped.c_str());
        return 0;
    }
    if (argc == 4) {
        const std::string_view mode = argv[1];
        const std::optional<int> count = countOf(argv[2]);
        if ((mode == "--bench-photos" || mode == "--tiny") && count) {
            VipsSession vips(argv[0]);
            const samples::OutputTree tree(argv[3]);
            if (mode == "--bench-photos")
                samples::writeBenchPhotos(tree, *count);
            else
                samples::writeTinyPhotos(tree, *count);
            tree.stampFolders(samples::utcSeconds(2024, 12, 31, 12, 0, 0));
            std::printf("kestova-make-samples: wrote %d %s photos to %s\n", *count,
                        mode == "--tiny" ? "tiny" : "camera-sized", argv[3]);
            return 0;
        }
    }
    std::fputs(usage, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestova-make-samples: %s\n", error.what());
        return 1;
    }
}
