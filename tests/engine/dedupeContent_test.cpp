// Scans and raw files that share a name and a size are different photos unless their content
// agrees: kestova-cli on real TIFF scans.
#include "CliProcess.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vips/vips8>

#include <fstream>

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using vips::VImage;

namespace {

/// An uncompressed scan: a photo of one colour inside the wide white border of the scanner's
/// bed, so the first and last bytes of every scan agree and only the middle tells them apart.
void writeScan(const fs::path& file, int n)
{
    fs::create_directories(file.parent_path());
    const VImage bed = VImage::black(600, 400).new_from_image({255, 255, 255});
    const VImage photo = VImage::black(300, 100).new_from_image({double(20 * n), double(255 - 20 * n), 128});
    bed.insert(photo, 150, 150)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .tiffsave(file.c_str(), VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE));
}

} // namespace

TEST(DedupeContent, NineDifferentScansOfOneSizeAreNinePhotosAndOnlyTrueCopiesCollapse)
{
    ASSERT_EQ(VIPS_INIT("test"), 0);
    TempDir dir;
    const fs::path src = dir.mkdir("Scans");
    int n = 0;
    for (int roll = 1; roll <= 3; ++roll) {
        for (int scan = 1; scan <= 3; ++scan)
            writeScan(src / ("Roll0" + std::to_string(roll)) / ("scan00" + std::to_string(scan) + ".tif"), ++n);
    }
    ASSERT_EQ(fs::file_size(src / "Roll01/scan001.tif"), fs::file_size(src / "Roll03/scan003.tif"));

    const CliRun scans = runCli({"build", src.string()}, dir.mkdir("home"));
    ASSERT_EQ(scans.status, 0) << scans.err;
    EXPECT_THAT(scans.out, HasSubstr("9 photos ready\n"));
    EXPECT_THAT(scans.out, ::testing::Not(HasSubstr("duplicate")));

    // A true copy in a backup folder is still shown once.
    fs::create_directories(src / "Backup/Roll02");
    fs::copy_file(src / "Roll02/scan003.tif", src / "Backup/Roll02/scan003.tif");
    const CliRun copies = runCli({"build", src.string()}, dir / "home");
    ASSERT_EQ(copies.status, 0) << copies.err;
    EXPECT_THAT(copies.out, HasSubstr("9 photos ready\n1 duplicate copy shown once\n"));
}

TEST(DedupeContent, ScansThatDifferOnlyBetweenTheSampledBlocksAreTwoPhotos)
{
    ASSERT_EQ(VIPS_INIT("test"), 0);
    TempDir dir;
    const fs::path src = dir.mkdir("Scans");
    writeScan(src / "Roll01/scan001.tif", 1);
    fs::create_directories(src / "Roll02");
    fs::copy_file(src / "Roll01/scan001.tif", src / "Roll02/scan001.tif");
    // A retouched scan: 1,988 pixel bytes changed a quarter into the file, where no sample reads.
    {
        std::fstream retouched(src / "Roll02/scan001.tif", std::ios::binary | std::ios::in | std::ios::out);
        retouched.seekp(std::streamoff(fs::file_size(src / "Roll02/scan001.tif") / 4));
        retouched << std::string(1988, '\x40');
    }
    ASSERT_EQ(fs::file_size(src / "Roll01/scan001.tif"), fs::file_size(src / "Roll02/scan001.tif"));

    const CliRun run = runCli({"build", src.string()}, dir.mkdir("home"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("2 photos ready\n"));
    EXPECT_THAT(run.out, ::testing::Not(HasSubstr("duplicate")));
}
