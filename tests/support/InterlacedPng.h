// A real interlaced (Adam7) grey PNG of any size, written without holding its image: every
// pixel is black, so the compressed stream is one literal and runs of 258-byte matches.
// A 30000 x 30000 one is 5.6 MB.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace InterlacedPng {

/// Deflate's bit order: values least significant bit first, Huffman codes most significant first.
class DeflateBits {
public:
    explicit DeflateBits(std::string& out) : out(out) {}
    void value(std::uint32_t v, int count)
    {
        for (int i = 0; i < count; ++i)
            bit((v >> i) & 1);
    }
    void code(std::uint32_t c, int count)
    {
        for (int i = count - 1; i >= 0; --i)
            bit((c >> i) & 1);
    }
    void finish()
    {
        if (filled)
            out.push_back(char(current));
        current = 0;
        filled = 0;
    }

private:
    void bit(std::uint32_t b)
    {
        current = std::uint8_t(current | (b << filled));
        if (++filled == 8) {
            out.push_back(char(current));
            current = 0;
            filled = 0;
        }
    }
    std::string& out;
    std::uint8_t current = 0;
    int filled = 0;
};

inline std::uint32_t crc32(const std::string& bytes)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

inline void bigEndian(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(char((v >> shift) & 0xFF));
}

inline void chunk(std::string& out, const char* type, const std::string& data)
{
    bigEndian(out, std::uint32_t(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    bigEndian(out, crc32(typed));
}

/// The bytes the seven passes hold before compression: each row of each pass is a filter
/// byte and its pixels.
inline std::int64_t rawLength(std::int64_t width, std::int64_t height)
{
    constexpr int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::int64_t total = 0;
    for (const auto& p : passes) {
        const std::int64_t w = width > p[0] ? (width - p[0] + p[2] - 1) / p[2] : 0;
        const std::int64_t h = height > p[1] ? (height - p[1] + p[3] - 1) / p[3] : 0;
        if (w > 0 && h > 0)
            total += h * (1 + w);
    }
    return total;
}

/// Writes a black 8-bit grey interlaced PNG of width x height pixels.
inline void write(const std::filesystem::path& file, std::uint32_t width, std::uint32_t height)
{
    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    bigEndian(header, width);
    bigEndian(header, height);
    header += std::string("\x08\x00\x00\x00\x01", 5); // 8-bit grey, deflate, adaptive filters, Adam7
    chunk(out, "IHDR", header);

    // Every byte is 0 (filter "none", black pixels): a literal 0, then matches of 258 bytes at
    // distance 1, a few literals, the end of the block; one block with the fixed codes.
    const std::int64_t length = rawLength(width, height);
    std::string stream("\x78\x01", 2);
    {
        DeflateBits bits(stream);
        bits.value(1, 1); // the last block
        bits.value(1, 2); // fixed Huffman codes
        bits.code(0x30, 8); // literal 0
        std::int64_t left = length - 1;
        for (; left >= 258; left -= 258) {
            bits.code(0xC5, 8); // length 258
            bits.code(0, 5);    // distance 1
        }
        for (; left > 0; --left)
            bits.code(0x30, 8);
        bits.code(0, 7); // end of block
        bits.finish();
    }
    // Adler-32 of zeros: the first sum stays 1, the second grows by 1 per byte.
    bigEndian(stream, std::uint32_t((length % 65521) << 16 | 1));
    constexpr std::size_t piece = 1 << 20;
    for (std::size_t at = 0; at < stream.size(); at += piece)
        chunk(out, "IDAT", stream.substr(at, piece));
    chunk(out, "IEND", "");
    std::ofstream(file, std::ios::binary).write(out.data(), std::streamsize(out.size()));
}

} // namespace InterlacedPng
