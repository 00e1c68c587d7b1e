// Photo processing: records, thumbnails and the failure cases, on real decoders and files.
#include "engine/run/Indexer.h"
#include "engine/base/Md5.h"

#include "MinimalDng.h"

#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <vips/vips8>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using vips::VImage;

namespace {

/// A record's values a plain photo always has, without its stamp and details.
CacheRecord core(CacheRecord record)
{
    record.stamp.reset();
    record.details.reset();
    return record;
}

const fs::path photos = KESTOVA_SHARED_PHOTOS;

/// A fresh folder removed with its contents at the end of the test.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "kestova-process-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a temporary folder");
        path = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    fs::path path;
};

/// A job whose source and output folders live in one temporary folder.
struct Job {
    TempDir dir;
    fs::path source = dir.path / "source";
    fs::path out = dir.path / "wall";
    Indexer indexer{source, out, "Test", false, [](const JobUpdate&) {}};
    Job() { fs::create_directories(source); }

    /// Copies a file into the source under rel and returns its entry.
    FileEntry add(const fs::path& from, const std::string& rel) const
    {
        const fs::path to = source / rel;
        fs::create_directories(to.parent_path());
        fs::copy_file(from, to, fs::copy_options::overwrite_existing);
        return entryFor(rel);
    }
    FileEntry addBytes(std::string_view bytes, const std::string& rel) const
    {
        const fs::path to = source / rel;
        fs::create_directories(to.parent_path());
        std::ofstream(to, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return entryFor(rel);
    }
    FileEntry entryFor(const std::string& rel) const
    {
        return {rel, std::int64_t(fs::file_size(source / rel)), 1700000000};
    }
    fs::path thumbOf(const FileEntry& entry) const { return indexer.wall.thumbURL(WallPaths::key(entry.rel)); }

    /// Every regular file below the output folder, hidden ones included.
    std::vector<fs::path> filesWritten() const
    {
        std::vector<fs::path> files;
        if (!fs::exists(out))
            return files;
        for (const auto& item : fs::recursive_directory_iterator(out)) {
            if (item.is_regular_file())
                files.push_back(item.path());
        }
        return files;
    }
};

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// Mean absolute difference per sample of two images of the same size.
double meanDifference(const VImage& a, const VImage& b)
{
    return (a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT)).abs().avg();
}

std::vector<double> pixelAt(const VImage& image, int x, int y) { return image.getpoint(x, y); }

void expectColour(const VImage& image, int x, int y, std::vector<double> expected, double tolerance)
{
    const auto actual = pixelAt(image, x, y);
    ASSERT_EQ(actual.size(), expected.size()) << "at " << x << "," << y;
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "band " << i << " at " << x << "," << y;
}

/// A JPEG with the given EXIF entries; a value of type `undefined` stands for "not a string".
struct ExifEntry {
    const char* key;
    std::string text;
    Exiv2::TypeId type = Exiv2::asciiString;
};

void writeExif(const fs::path& file, const std::vector<ExifEntry>& entries)
{
    auto image = Exiv2::ImageFactory::open(file.string());
    image->readMetadata();
    Exiv2::ExifData exif;
    for (const auto& entry : entries) {
        auto value = Exiv2::Value::create(entry.type);
        value->read(entry.text);
        exif.add(Exiv2::ExifKey(entry.key), value.get());
    }
    image->setExifData(exif);
    image->writeMetadata();
}

/// A 120x80 picture whose left half is red and right half blue, so a turn or a mirror shows.
VImage halves(int width = 120, int height = 80)
{
    const VImage red = VImage::black(width / 2, height).new_from_image({255, 0, 0});
    const VImage blue = VImage::black(width - width / 2, height).new_from_image({0, 0, 255});
    return red.insert(blue, width / 2, 0, VImage::option()->set("expand", true)).copy(
        VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

std::uint32_t crc32(std::string_view bytes)
{
    std::uint32_t crc = 0xffffffffu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string bigEndian32(std::uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string pngChunk(std::string_view type, std::string_view data)
{
    std::string body = std::string(type) + std::string(data);
    return bigEndian32(std::uint32_t(data.size())) + body + bigEndian32(crc32(body));
}

/// A PNG that declares width x height RGB pixels but holds a few bytes of image data.
std::string pngDeclaring(std::uint32_t width, std::uint32_t height)
{
    std::string header = bigEndian32(width) + bigEndian32(height) + std::string("\x08\x02\x00\x00\x00", 5);
    // A valid zlib stream of a few zero bytes: decoding runs out of data long before the end.
    const std::string idat("\x78\x9c\x63\x60\x00\x00\x00\x02\x00\x01", 10);
    return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", idat) +
           pngChunk("IEND", "");
}

/// A 24-bit BMP of the picture; BMP stores rows bottom-up in BGR order.
std::string bmpOf(const VImage& image)
{
    const int width = image.width(), height = image.height();
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t fileSize = 54 + std::uint32_t(rowBytes) * height;
    auto le32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto le16 = [](std::uint16_t v) { return std::string{char(v), char(v >> 8)}; };
    std::string bmp = "BM" + le32(fileSize) + le32(0) + le32(54) + le32(40) + le32(width) + le32(height) + le16(1) +
                      le16(24) + le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
    std::size_t size = 0;
    auto* data = static_cast<unsigned char*>(image.write_to_memory(&size));
    for (int y = height - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = data + (std::size_t(y) * width + x) * 3;
            row[x * 3] = char(p[2]);
            row[x * 3 + 1] = char(p[1]);
            row[x * 3 + 2] = char(p[0]);
        }
        bmp += row;
    }
    g_free(data);
    return bmp;
}


/// A HEIC whose pixels are stored as `picture` and whose irot box turns them by `orientation`
/// (libheif applies it when decoding). The EXIF inside says the same, as phones write it.
void writeRotatedHeic(const VImage& picture, heif_orientation orientation, const fs::path& file)
{
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    ASSERT_EQ(heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code, heif_error_Ok);
    heif_encoder_set_lossy_quality(encoder, 90);
    heif_image* image = nullptr;
    const int width = picture.width(), height = picture.height();
    heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, width, height, 8);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    std::size_t size = 0;
    auto* data = static_cast<std::uint8_t*>(picture.write_to_memory(&size));
    for (int y = 0; y < height; ++y)
        std::copy_n(data + std::size_t(y) * width * 3, width * 3, plane + std::size_t(y) * stride);
    g_free(data);
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = orientation;
    heif_image_handle* handle = nullptr;
    ASSERT_EQ(heif_context_encode_image(context, image, encoder, options, &handle).code, heif_error_Ok);
    // A big-endian TIFF directory with one entry: Orientation (0x0112), SHORT, 1, value.
    const std::string exif("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19);
    const std::string exifBlock = exif + char(orientation) + std::string(6, '\0');
    heif_context_add_exif_metadata(context, handle, exifBlock.data(), int(exifBlock.size()));
    ASSERT_EQ(heif_context_write_to_file(context, file.c_str()).code, heif_error_Ok);
    heif_image_handle_release(handle);
    heif_encoding_options_free(options);
    heif_image_release(image);
    heif_encoder_release(encoder);
    heif_context_free(context);
}

/// Open file descriptors of this process.
std::size_t openFiles()
{
    return std::size_t(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

class Vips : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(VIPS_INIT("process_test"), 0); }
};
const auto* const vipsEnvironment = ::testing::AddGlobalTestEnvironment(new Vips);

} // namespace

// x265, which libheif uses to write this test's HEIC fixture, keeps one allocation for the life
// of the process; without this, every sanitizer run would report it as a leak.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libx265.so\n";
}

// --- names

TEST(Md5Hex, GivesTheRfc1321Digest)
{
    const struct {
        std::string text;
        const char* hex;
    } rows[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"The quick brown fox jumps over the lazy dog", "9e107d9d372bb6826bd81d3542a419d6"},
        // Raw bytes, not text: an invalid UTF-8 name and an embedded NUL are hashed as they are.
        {std::string("\xff\x00" "a", 3), "310e56cdb9dccaf757dbcab30054500e"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(md5Hex(row.text), row.hex) << row.text;
}

TEST(Key, IsTheDigestPrefixOfTheExactBytes)
{
    EXPECT_EQ(WallPaths::key("abc"), "900150983cd24fb0");
    EXPECT_EQ(WallPaths::key("a/b.jpg"), md5Hex("a/b.jpg").substr(0, 16));
    EXPECT_EQ(WallPaths::key("a/B.jpg"), md5Hex("a/B.jpg").substr(0, 16));
    EXPECT_NE(WallPaths::key("a/b.jpg"), WallPaths::key("a/B.jpg"));
    // Composed and decomposed "é" are different bytes, so different photos.
    EXPECT_NE(WallPaths::key("caf\xc3\xa9.jpg"), WallPaths::key("cafe\xcc\x81.jpg"));
}

TEST(ThumbURL, SpreadsThumbnailsByTheirFirstTwoDigits)
{
    const Indexer indexer("/photos", "/photos/wall", "t", false, {});
    EXPECT_EQ(indexer.wall.thumbURL("900150983cd24fb0"), fs::path("/photos/wall/thumbs/90/900150983cd24fb0.jpg"));
}

// --- records and thumbnails of real photos

TEST(Process, CameraJpegsGiveTheirStoredDateAndSize)
{
    const struct {
        const char* file;
        const char* date;
        std::int64_t width, height;
        std::string camera; ///< as the wall's details name it
    } rows[] = {
        {"cameras/Canon_40D.jpg", "2008:05:30 15:56:01", 100, 68, "Canon EOS 40D"},
        {"cameras/Nikon_D70.jpg", "2008:03:15 09:52:01", 100, 66, "NIKON D70"},
        {"cameras/Fujifilm_FinePix_E500.jpg", "2006:08:17 09:24:48", 59, 100, "FUJIFILM FinePix E500"},
        {"cameras/Kodak_CX7530.jpg", "2005:08:13 09:47:23", 100, 78, "KODAK CX7530 ZOOM DIGITAL CAMERA"},
        {"cameras/Olympus_C8080WZ.jpg", "2006:10:22 15:44:29", 100, 72, "OLYMPUS C8080WZ"},
        {"cameras/Pentax_K10D.jpg", "2008:05:04 16:47:24", 100, 72, "PENTAX K10D"},
        {"cameras/Sony_HDR-HC3.jpg", "2007:06:15 04:42:32", 100, 64, "SONY HDR-HC3"},
        {"cameras/iphone_hdr_NO.jpg", "2015:04:10 20:12:23", 3264, 2448, "Apple iPhone 6"},
        // No camera EXIF, but the editor that saved it wrote its own time as the TIFF DateTime.
        {"cameras/no_exif.jpg", "2014:09:22 10:56:35", 322, 466, ""},
    };
    Job job;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const FileEntry entry = job.add(photos / row.file, row.file);
        const auto record = process(job.indexer.photoWork(), entry);
        ASSERT_TRUE(record);
        EXPECT_EQ(core(*record),
                  Record::make(WallPaths::key(row.file), row.width, row.height, row.date, entry.mtime, entry.size));
        EXPECT_EQ((*record).details.value_or(Record::Details{}).camera, row.camera);
        // Small photos are never enlarged; large ones have 420 on their longer side.
        const VImage thumb = VImage::new_from_file(job.thumbOf(entry).c_str());
        const double scale = std::min(1.0, 420.0 / std::max(row.width, row.height));
        EXPECT_EQ(thumb.width(), std::lround(row.width * scale));
        EXPECT_EQ(thumb.height(), std::lround(row.height * scale));
        EXPECT_EQ(thumb.bands(), 3);
        // A shared wall must not carry the camera's data or its location.
        EXPECT_EQ(thumb.get_typeof(VIPS_META_EXIF_NAME), 0u);
        EXPECT_EQ(thumb.get_typeof(VIPS_META_XMP_NAME), 0u);
        EXPECT_EQ(thumb.get_typeof(VIPS_META_ICC_NAME), 0u);
    }
}

TEST(Process, EveryOrientationComesOutUpright)
{
    Job job;
    for (const std::string shape : {"Landscape", "Portrait"}) {
        const bool landscape = shape == "Landscape";
        const FileEntry reference = job.add(photos / "orientation" / (shape + "_1.jpg"), shape + "_1.jpg");
        ASSERT_TRUE(process(job.indexer.photoWork(), reference));
        const VImage upright = VImage::new_from_file(job.thumbOf(reference).c_str());
        ASSERT_EQ(upright.width(), landscape ? 420 : 280);
        ASSERT_EQ(upright.height(), landscape ? 280 : 420);
        for (int orientation = 0; orientation <= 8; ++orientation) {
            const std::string name = shape + "_" + std::to_string(orientation) + ".jpg";
            SCOPED_TRACE(name);
            const FileEntry entry = job.add(photos / "orientation" / name, name);
            const auto record = process(job.indexer.photoWork(), entry);
            ASSERT_TRUE(record);
            // The record holds the size as shown, whatever the stored size.
            EXPECT_EQ((*record).width, landscape ? 1800 : 1200);
            EXPECT_EQ((*record).height, landscape ? 1200 : 1800);
            const VImage thumb = VImage::new_from_file(job.thumbOf(entry).c_str());
            ASSERT_EQ(thumb.width(), upright.width());
            ASSERT_EQ(thumb.height(), upright.height());
            // Same picture up to JPEG loss; a wrong turn or mirror differs by 50 or more.
            EXPECT_LT(meanDifference(thumb, upright), 6.0);
        }
    }
}

TEST(Process, HeifIsTurnedOnceByItsOwnRotation)
{
    Job job;
    // Stored 120x80 (red left, blue right); the file says to turn it 90 degrees clockwise, both
    // in its irot box, which the decoder applies, and in its EXIF, which must not apply again.
    writeRotatedHeic(halves(), heif_orientation_rotate_90_cw, job.source / "turned.heic");
    const auto record = process(job.indexer.photoWork(), job.entryFor("turned.heic"));
    ASSERT_TRUE(record);
    EXPECT_EQ((*record).width, 80);
    EXPECT_EQ((*record).height, 120);
    const VImage thumb = VImage::new_from_file(job.thumbOf(job.entryFor("turned.heic")).c_str());
    ASSERT_EQ(thumb.width(), 80);
    ASSERT_EQ(thumb.height(), 120);
    // Turned clockwise, the red left half is now on top.
    expectColour(thumb, 40, 10, {255, 0, 0}, 40);
    expectColour(thumb, 40, 110, {0, 0, 255}, 40);
}

TEST(Process, SampleHeifGivesItsSize)
{
    Job job;
    const FileEntry entry = job.add(photos / "heif/samplefilehub.heif", "sample.heif");
    const auto record = process(job.indexer.photoWork(), entry);
    ASSERT_TRUE(record);
    EXPECT_EQ((*record).width, 640);
    EXPECT_EQ((*record).height, 426);
    const VImage thumb = VImage::new_from_file(job.thumbOf(entry).c_str());
    EXPECT_EQ(thumb.width(), 420);
    EXPECT_EQ(thumb.height(), 280);
}

TEST(Process, TransparentPixelsTurnWhite)
{
    Job job;
    // Left half fully transparent black, right half opaque red.
    const VImage colour = VImage::black(200, 100).new_from_image({0, 0, 0, 0});
    const VImage red = VImage::black(100, 100).new_from_image({255, 0, 0, 255});
    colour.insert(red, 100, 0)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .pngsave((job.source / "alpha.png").c_str());
    const FileEntry entry = job.entryFor("alpha.png");
    const auto record = process(job.indexer.photoWork(), entry);
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, Record::withDetails(Record::make(WallPaths::key("alpha.png"), 200, 100, "", entry.mtime, entry.size), {}));
    const VImage thumb = VImage::new_from_file(job.thumbOf(entry).c_str());
    EXPECT_EQ(thumb.bands(), 3);
    expectColour(thumb, 20, 50, {255, 255, 255}, 3);
    expectColour(thumb, 180, 50, {255, 0, 0}, 30);
}

TEST(Process, ColoursAreConvertedToSRGB)
{
    Job job;
    const VImage red = VImage::black(64, 64).new_from_image({255, 0, 0}).copy(
        VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    // The same red stored in Display P3 (as phones shoot) and in CMYK (as print files are).
    red.icc_export(VImage::option()->set("output_profile", "p3"))
        .jpegsave((job.source / "p3.jpg").c_str(), VImage::option()->set("Q", 95));
    red.icc_export(VImage::option()->set("output_profile", "cmyk"))
        .jpegsave((job.source / "cmyk.jpg").c_str(), VImage::option()->set("Q", 95));
    // 16 bits per sample, no profile.
    (red.cast(VIPS_FORMAT_USHORT) * 257)
        .cast(VIPS_FORMAT_USHORT)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16))
        .pngsave((job.source / "deep.png").c_str());
    const struct {
        const char* rel;
        double tolerance;
    } rows[] = {{"p3.jpg", 12}, {"cmyk.jpg", 45}, {"deep.png", 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rel);
        ASSERT_TRUE(process(job.indexer.photoWork(), job.entryFor(row.rel)));
        const VImage thumb = VImage::new_from_file(job.thumbOf(job.entryFor(row.rel)).c_str());
        EXPECT_EQ(thumb.bands(), 3);
        EXPECT_EQ(thumb.format(), VIPS_FORMAT_UCHAR);
        EXPECT_EQ(thumb.get_typeof(VIPS_META_ICC_NAME), 0u);
        expectColour(thumb, 32, 32, {255, 0, 0}, row.tolerance);
    }
    // Without conversion a browser would show the P3 values as a duller sRGB red.
    const VImage stored = VImage::new_from_file((job.source / "p3.jpg").c_str());
    EXPECT_LT(pixelAt(stored, 32, 32)[0], 240);
}

TEST(Process, OtherFormatsDecode)
{
    Job job;
    const VImage picture = halves(600, 300);
    picture.webpsave((job.source / "a.webp").c_str());
    picture.tiffsave((job.source / "a.tif").c_str());
    picture.gifsave((job.source / "a.gif").c_str());
    job.addBytes(bmpOf(picture), "a.bmp");
    // An animated GIF: the first frame (red and blue) is the photo, the second is all green.
    const VImage green = VImage::black(600, 300).new_from_image({0, 255, 0});
    VImage frames = VImage::arrayjoin({picture, green}, VImage::option()->set("across", 1)).copy();
    frames.set("page-height", 300);
    frames.gifsave((job.source / "animated.gif").c_str());
    for (const char* rel : {"a.webp", "a.tif", "a.gif", "a.bmp", "animated.gif"}) {
        SCOPED_TRACE(rel);
        const auto record = process(job.indexer.photoWork(), job.entryFor(rel));
        ASSERT_TRUE(record);
        EXPECT_EQ((*record).width, 600);
        EXPECT_EQ((*record).height, 300);
        const VImage thumb = VImage::new_from_file(job.thumbOf(job.entryFor(rel)).c_str());
        EXPECT_EQ(thumb.width(), 420);
        EXPECT_EQ(thumb.height(), 210);
        expectColour(thumb, 50, 105, {255, 0, 0}, 40);
        expectColour(thumb, 370, 105, {0, 0, 255}, 40);
    }
}

TEST(Process, CameraRawIsDevelopedNotPreviewed)
{
    Job job;
    // Stored 240x160, recorded by a camera held upright (orientation 6).
    const FileEntry entry = job.addBytes(dngOf(240, 160, 6, "2019:07:04 12:00:00"), "raw.dng");
    const auto record = process(job.indexer.photoWork(), entry);
    ASSERT_TRUE(record);
    EXPECT_EQ(core(*record),
              Record::make(WallPaths::key("raw.dng"), 160, 240, "2019:07:04 12:00:00", entry.mtime, entry.size));
    // Half the sensor's resolution, turned upright: the red left half is now on top.
    const VImage thumb = VImage::new_from_file(job.thumbOf(entry).c_str());
    ASSERT_EQ(thumb.width(), 80);
    ASSERT_EQ(thumb.height(), 120);
    const auto top = pixelAt(thumb, 40, 15), bottom = pixelAt(thumb, 40, 105);
    EXPECT_GT(top[0], top[2] + 100);
    EXPECT_GT(bottom[2], bottom[0] + 100);
}

TEST(Process, TheOnePixelImage)
{
    Job job;
    VImage::black(1, 1).new_from_image({10, 200, 30}).pngsave((job.source / "dot.png").c_str());
    const auto record = process(job.indexer.photoWork(), job.entryFor("dot.png"));
    ASSERT_TRUE(record);
    EXPECT_EQ((*record).width, 1);
    EXPECT_EQ((*record).height, 1);
    const VImage thumb = VImage::new_from_file(job.thumbOf(job.entryFor("dot.png")).c_str());
    EXPECT_EQ(thumb.width(), 1);
    EXPECT_EQ(thumb.height(), 1);
}

TEST(Process, AHugeJpegShrinksWhileDecoding)
{
    Job job;
    // 30000 x 30000 pixels: decoded in full this would take 2.7 GB.
    VImage::black(30000, 30000)
        .new_from_image({90, 120, 150})
        .jpegsave((job.source / "huge.jpg").c_str(), VImage::option()->set("Q", 50));
    const auto record = process(job.indexer.photoWork(), job.entryFor("huge.jpg"));
    ASSERT_TRUE(record);
    EXPECT_EQ((*record).width, 30000);
    EXPECT_EQ((*record).height, 30000);
    const VImage thumb = VImage::new_from_file(job.thumbOf(job.entryFor("huge.jpg")).c_str());
    EXPECT_EQ(thumb.width(), 420);
    EXPECT_EQ(thumb.height(), 420);
    expectColour(thumb, 210, 210, {90, 120, 150}, 4);
}

// --- dates

TEST(Process, DateTextFallsBackInOrder)
{
    const struct {
        const char* name;
        std::vector<ExifEntry> exif;
        const char* date;
    } rows[] = {
        {"all three",
         {{"Exif.Photo.DateTimeOriginal", "2001:01:01 01:01:01"},
          {"Exif.Photo.DateTimeDigitized", "2002:02:02 02:02:02"},
          {"Exif.Image.DateTime", "2003:03:03 03:03:03"}},
         "2001:01:01 01:01:01"},
        {"digitized and TIFF",
         {{"Exif.Photo.DateTimeDigitized", "2002:02:02 02:02:02"}, {"Exif.Image.DateTime", "2003:03:03 03:03:03"}},
         "2002:02:02 02:02:02"},
        {"TIFF only", {{"Exif.Image.DateTime", "2003:03:03 03:03:03"}}, "2003:03:03 03:03:03"},
        {"original not a string",
         {{"Exif.Photo.DateTimeOriginal", "50 48 48 49", Exiv2::undefined},
          {"Exif.Photo.DateTimeDigitized", "2002:02:02 02:02:02"}},
         "2002:02:02 02:02:02"},
        {"text kept verbatim", {{"Exif.Photo.DateTimeOriginal", "not a date at all"}}, "not a date at all"},
        {"none", {{"Exif.Image.Make", "Kestova"}}, ""},
    };
    Job job;
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string rel = "dated" + std::to_string(n++) + ".jpg";
        halves().jpegsave((job.source / rel).c_str());
        writeExif(job.source / rel, row.exif);
        const auto record = process(job.indexer.photoWork(), job.entryFor(rel));
        ASSERT_TRUE(record);
        EXPECT_EQ((*record).date, row.date);
    }
}

TEST(Process, TiffDateTimeIsReadFromTheTiffItself)
{
    Job job;
    halves().tiffsave((job.source / "scan.tif").c_str());
    writeExif(job.source / "scan.tif", {{"Exif.Image.DateTime", "1999:12:31 23:59:59"}});
    const auto record = process(job.indexer.photoWork(), job.entryFor("scan.tif"));
    ASSERT_TRUE(record);
    EXPECT_EQ((*record).date, "1999:12:31 23:59:59");
    EXPECT_EQ((*record).width, 120);
}

// --- reuse

TEST(Process, AnExistingThumbnailIsKeptWithoutDecoding)
{
    Job job;
    // The pixels of this photo cannot be decoded, but its header reads: with its thumbnail
    // already present, the record comes from the header alone.
    const FileEntry damaged = job.add(photos / "broken/corrupted.jpg", "damaged.jpg");
    const FileEntry turned = job.add(photos / "orientation/Landscape_6.jpg", "turned.jpg");
    for (const FileEntry& entry : {damaged, turned}) {
        fs::create_directories(job.thumbOf(entry).parent_path());
        std::ofstream(job.thumbOf(entry)) << "kept";
    }
    const auto damagedRecord = process(job.indexer.photoWork(), damaged);
    ASSERT_TRUE(damagedRecord);
    EXPECT_EQ((*damagedRecord).width, 3648);
    EXPECT_EQ((*damagedRecord).height, 2736);
    const auto turnedRecord = process(job.indexer.photoWork(), turned);
    ASSERT_TRUE(turnedRecord);
    EXPECT_EQ(core(*turnedRecord),
              Record::make(WallPaths::key("turned.jpg"), 1800, 1200, "", turned.mtime, turned.size));
    EXPECT_EQ(readBytes(job.thumbOf(damaged)), "kept");
    EXPECT_EQ(readBytes(job.thumbOf(turned)), "kept");
    EXPECT_EQ(job.filesWritten().size(), 2u);
}

TEST(Process, DifferentPathsGetDifferentThumbnails)
{
    Job job;
    const FileEntry lower = job.add(photos / "cameras/Canon_40D.jpg", "a/b.jpg");
    const FileEntry upper = job.add(photos / "cameras/Nikon_D70.jpg", "a/B.jpg");
    // A name that is not valid UTF-8 is still a photo.
    const FileEntry odd = job.add(photos / "cameras/Pentax_K10D.jpg", "a/\xff\xfe.jpg");
    for (const FileEntry& entry : {lower, upper, odd}) {
        const auto record = process(job.indexer.photoWork(), entry);
        ASSERT_TRUE(record);
        EXPECT_EQ((*record).key, WallPaths::key(entry.rel));
        EXPECT_TRUE(fs::is_regular_file(job.thumbOf(entry)));
    }
    EXPECT_EQ(job.filesWritten().size(), 3u);
}

// --- failures

TEST(Process, UnreadablePhotosGiveNothingAndLeaveNothing)
{
    const std::string truncatedJpeg = readBytes(photos / "cameras/iphone_hdr_NO.jpg").substr(0, 300000);
    const std::string text = "These are my holiday notes, not a photo.\n";
    const struct {
        const char* rel;
        std::string bytes;
    } rows[] = {
        {"corrupted.jpg", readBytes(photos / "broken/corrupted.jpg")},
        {"truncated.jpg", truncatedJpeg},
        {"empty.jpg", ""},
        {"notes.jpg", text},
        {"huge.png", pngDeclaring(100000, 100000)},
        {"huge-gif.gif", std::string("GIF89a\xff\xff\xff\xff\x00\x00\x00", 13)},
        {"camera.nef", text},
        {"empty.cr3", ""},
        {"truncated.dng", truncatedJpeg},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rel);
        Job job;
        const FileEntry entry = job.addBytes(row.bytes, row.rel);
        EXPECT_FALSE(process(job.indexer.photoWork(), entry));
        EXPECT_TRUE(job.filesWritten().empty());
    }
}

TEST(Process, MissingFileGivesNothing)
{
    Job job;
    EXPECT_FALSE(process(job.indexer.photoWork(), {"gone.jpg", 100, 1}));
    EXPECT_TRUE(job.filesWritten().empty());
}

TEST(Process, HeicWithAllItsImageDataDecodes)
{
    // This file's EXIF is cut short, but every tile of the picture is present: the photo is
    // shown, without a date.
    Job job;
    const FileEntry entry = job.add(photos / "broken/truncated.HEIC", "truncated.HEIC");
    const auto record = process(job.indexer.photoWork(), entry);
    ASSERT_TRUE(record);
    EXPECT_EQ((*record).width, 2566);
    EXPECT_EQ((*record).height, 3313);
    const VImage thumb = VImage::new_from_file(job.thumbOf(entry).c_str());
    EXPECT_EQ(thumb.width(), 325);
    EXPECT_EQ(thumb.height(), 420);
}

TEST(Process, AnUnwritableOutputGivesNothing)
{
    Job job;
    const FileEntry entry = job.add(photos / "cameras/Canon_40D.jpg", "photo.jpg");
    // The wall folder is a file, so no folder can be made inside it; this holds even for root,
    // whom permission bits do not stop.
    std::ofstream(job.out) << "in the way";
    EXPECT_FALSE(process(job.indexer.photoWork(), entry));
    EXPECT_EQ(readBytes(job.out), "in the way");
}

TEST(Process, ManyThreadsAtOnceGiveTheSameRecords)
{
    Job job;
    std::vector<FileEntry> entries;
    for (int i = 0; i < 4; ++i) {
        for (const char* name : {"Canon_40D.jpg", "iphone_hdr_NO.jpg", "Sony_HDR-HC3.jpg"})
            entries.push_back(job.add(photos / "cameras" / name, std::to_string(i) + "/" + name));
        entries.push_back(job.add(photos / "orientation/Portrait_8.jpg", std::to_string(i) + "/p.jpg"));
    }
    std::vector<std::future<std::optional<CacheRecord>>> results;
    for (const FileEntry& entry : entries)
        results.push_back(std::async(std::launch::async, [&job, entry] { return process(job.indexer.photoWork(), entry); }));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto record = results[i].get();
        ASSERT_TRUE(record) << entries[i].rel;
        EXPECT_EQ((*record).key, WallPaths::key(entries[i].rel));
    }
    EXPECT_EQ(job.filesWritten().size(), entries.size());
}

TEST(Process, ReleasesEveryFileItOpens)
{
    Job job;
    std::vector<FileEntry> entries{
        job.add(photos / "cameras/iphone_hdr_NO.jpg", "a.jpg"),
        job.add(photos / "heif/samplefilehub.heif", "b.heif"),
        job.add(photos / "broken/corrupted.jpg", "c.jpg"),
        job.addBytes("not a photo", "d.jpg"),
        job.addBytes("BM not a bitmap", "e.bmp"),
        job.addBytes("not a raw file", "f.nef"),
    };
    halves().pngsave((job.source / "g.png").c_str());
    entries.push_back(job.entryFor("g.png"));
    job.addBytes(bmpOf(halves()), "h.bmp");
    entries.push_back(job.entryFor("h.bmp"));
    // The first round starts the libraries, which keep a few descriptors of their own.
    for (const FileEntry& entry : entries)
        process(job.indexer.photoWork(), entry);
    fs::remove_all(job.out);
    const std::size_t before = openFiles();
    for (int round = 0; round < 3; ++round) {
        for (const FileEntry& entry : entries)
            process(job.indexer.photoWork(), entry);
        fs::remove_all(job.out);
    }
    EXPECT_EQ(openFiles(), before);
}

TEST(Process, DamagedFilesGiveARecordOrNothingButNeverAPartialThumbnail)
{
    TempDir fixtures;
    const VImage picture = halves(300, 200);
    picture.pngsave((fixtures.path / "p.png").c_str());
    picture.tiffsave((fixtures.path / "p.tif").c_str());
    picture.webpsave((fixtures.path / "p.webp").c_str());
    picture.gifsave((fixtures.path / "p.gif").c_str());
    const std::vector<std::pair<std::string, std::string>> originals{
        {"jpg", readBytes(photos / "cameras/Canon_40D.jpg")},
        {"heic", readBytes(photos / "heif/samplefilehub.heif")},
        {"png", readBytes(fixtures.path / "p.png")},
        {"tif", readBytes(fixtures.path / "p.tif")},
        {"webp", readBytes(fixtures.path / "p.webp")},
        {"gif", readBytes(fixtures.path / "p.gif")},
        {"bmp", bmpOf(picture)},
        {"dng", dngOf(240, 160, 1, "2019:07:04 12:00:00")},
    };
    for (const auto& [ext, bytes] : originals) {
        std::vector<std::string> damaged;
        for (int tenth : {1, 3, 5, 7, 9})
            damaged.push_back(bytes.substr(0, bytes.size() * tenth / 10));
        // Flipped bytes at several depths: in the metadata near the start, and in the pixels.
        for (std::size_t at : {std::size_t(30), std::size_t(200), bytes.size() / 3, bytes.size() * 2 / 3}) {
            std::string flipped = bytes;
            for (std::size_t i = at; i < std::min(bytes.size(), at + 16); ++i)
                flipped[i] = char(~flipped[i]);
            damaged.push_back(flipped);
        }
        for (std::size_t i = 0; i < damaged.size(); ++i) {
            SCOPED_TRACE(ext + " variant " + std::to_string(i));
            Job job;
            const FileEntry entry = job.addBytes(damaged[i], "photo." + ext);
            const auto record = process(job.indexer.photoWork(), entry);
            const auto files = job.filesWritten();
            if (!record) {
                EXPECT_TRUE(files.empty());
                continue;
            }
            // Whatever came out is a whole JPEG under its final name, and nothing else.
            ASSERT_EQ(files, std::vector<fs::path>{job.thumbOf(entry)});
            const VImage thumb = VImage::new_from_file(
                job.thumbOf(entry).c_str(), VImage::option()->set("fail_on", VIPS_FAIL_ON_WARNING));
            EXPECT_GT(thumb.avg(), -1.0);
        }
    }
}
