// A minimal real DNG for tests: small enough to write on the fly, read by LibRaw as a camera's.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

/// A minimal uncompressed DNG: a 16-bit RGGB sensor image whose left half saw red light and
/// right half blue, stored with the given EXIF orientation and TIFF DateTime. The colour matrix
/// makes the camera's space linear sRGB, so colours come out as they went in.
inline std::string dngOf(int width, int height, int orientation, const std::string& date)
{
    struct Tag {
        std::uint16_t id, type;
        std::uint32_t count;
        std::string bytes;
    };
    auto le16 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8)}; };
    auto le32 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto ascii = [](std::string text) { return text.push_back('\0'), text; };
    constexpr std::uint16_t byte = 1, asciiType = 2, shortType = 3, longType = 4, rational = 5, srational = 10;
    const std::array<int, 9> xyzToSRGB{32406, -15372, -4986, -9689, 18758, 415, 557, -2040, 10570};
    std::string matrix;
    for (int v : xyzToSRGB)
        matrix += le32(std::uint32_t(v)) + le32(10000);
    const std::string makeText = ascii("Kestova"), modelText = ascii("Test"), dateText = ascii(date),
                      uniqueText = ascii("Kestova Test");
    std::vector<Tag> tags{
        {254, longType, 1, le32(0)},
        {256, longType, 1, le32(width)},
        {257, longType, 1, le32(height)},
        {258, shortType, 1, le16(16)},
        {259, shortType, 1, le16(1)},
        {262, shortType, 1, le16(32803)}, // colour filter array
        {271, asciiType, std::uint32_t(makeText.size()), makeText},
        {272, asciiType, std::uint32_t(modelText.size()), modelText},
        {273, longType, 1, ""}, // strip offset, filled in below
        {274, shortType, 1, le16(orientation)},
        {277, shortType, 1, le16(1)},
        {278, longType, 1, le32(height)},
        {279, longType, 1, le32(std::uint32_t(width) * height * 2)},
        {284, shortType, 1, le16(1)},
        {306, asciiType, std::uint32_t(dateText.size()), dateText},
        {33421, shortType, 2, le16(2) + le16(2)},
        {33422, byte, 4, std::string("\0\1\1\2", 4)}, // RGGB
        {50706, byte, 4, std::string("\1\4\0\0", 4)},
        {50708, asciiType, std::uint32_t(uniqueText.size()), uniqueText},
        {50717, longType, 1, le32(65535)},
        {50721, srational, 9, matrix},
        {50728, rational, 3, le32(1) + le32(1) + le32(1) + le32(1) + le32(1) + le32(1)},
        {50778, shortType, 1, le16(21)},
    };
    const std::uint32_t ifdSize = 2 + 12 * std::uint32_t(tags.size()) + 4;
    std::uint32_t dataAt = 8 + ifdSize;
    std::string ifd = le16(std::uint32_t(tags.size())), data;
    for (const Tag& tag : tags)
        dataAt += tag.bytes.size() > 4 ? std::uint32_t(tag.bytes.size()) : 0;
    const std::uint32_t pixelsAt = dataAt;
    dataAt = 8 + ifdSize;
    for (Tag& tag : tags) {
        if (tag.id == 273)
            tag.bytes = le32(pixelsAt);
        ifd += le16(tag.id) + le16(tag.type) + le32(tag.count);
        if (tag.bytes.size() > 4) {
            ifd += le32(dataAt + std::uint32_t(data.size()));
            data += tag.bytes;
        } else {
            ifd += tag.bytes + std::string(4 - tag.bytes.size(), '\0');
        }
    }
    ifd += le32(0);
    std::string pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool red = (y % 2 == 0) && (x % 2 == 0), blue = (y % 2 == 1) && (x % 2 == 1);
            const bool leftHalf = x < width / 2;
            pixels += le16((leftHalf ? red : blue) ? 50000 : 4000);
        }
    }
    return std::string("II*\0", 4) + le32(8) + ifd + data + pixels;
}
