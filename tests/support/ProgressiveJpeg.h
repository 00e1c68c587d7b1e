// A real progressive JPEG of any size, written without holding its image: one grey level, a DC
// scan of one bit per block and an AC scan of end-of-band runs. A 30000 x 30000 one is 1.8 MB.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace ProgressiveJpeg {

/// Bits into bytes the way entropy-coded JPEG data needs them: most significant first, a
/// stuffed zero after every 0xFF, the last byte padded with ones.
class BitWriter {
public:
    explicit BitWriter(std::string& out) : out(out) {}
    void put(std::uint32_t bits, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            current = std::uint8_t((current << 1) | ((bits >> i) & 1));
            if (++filled == 8)
                flushByte();
        }
    }
    /// Many zero bits at once (a whole DC scan of zero differences).
    void zeros(std::int64_t count)
    {
        while (count > 0 && filled != 0) {
            put(0, 1);
            --count;
        }
        out.append(std::size_t(count / 8), '\0');
        put(0, int(count % 8));
    }
    void finish()
    {
        while (filled != 0)
            put(1, 1);
    }

private:
    void flushByte()
    {
        out.push_back(char(current));
        if (current == 0xFF)
            out.push_back('\0');
        current = 0;
        filled = 0;
    }
    std::string& out;
    std::uint8_t current = 0;
    int filled = 0;
};

inline void segment(std::string& out, std::uint8_t marker, const std::string& body)
{
    out += '\xFF';
    out += char(marker);
    const std::size_t length = body.size() + 2;
    out += char(length >> 8);
    out += char(length & 0xFF);
    out += body;
}

/// One Huffman table holding a single symbol with the one-bit code "0".
inline std::string oneSymbolTable(std::uint8_t tableClass, std::uint8_t symbol)
{
    std::string body(1, char(tableClass << 4));
    body += '\x01';
    body.append(15, '\0');
    body += char(symbol);
    return body;
}

inline std::string scanHeader(std::uint8_t first, std::uint8_t last)
{
    return std::string("\x01\x01\x00", 3) + char(first) + char(last) + '\0';
}

/// Writes a grey progressive JPEG of width x height pixels.
inline void write(const std::filesystem::path& file, int width, int height)
{
    std::string out("\xFF\xD8", 2);
    segment(out, 0xDB, std::string(1, '\0') + std::string(64, '\x01'));
    std::string frame(1, '\x08');
    frame += char(height >> 8);
    frame += char(height & 0xFF);
    frame += char(width >> 8);
    frame += char(width & 0xFF);
    frame += std::string("\x01\x01\x11\x00", 4);
    segment(out, 0xC2, frame); // SOF2: progressive
    const std::int64_t blocks = std::int64_t((width + 7) / 8) * ((height + 7) / 8);

    // DC scan: every block's difference is 0, category 0, code "0".
    segment(out, 0xC4, oneSymbolTable(0, 0x00));
    segment(out, 0xDA, scanHeader(0, 0));
    {
        BitWriter bits(out);
        bits.zeros(blocks);
        bits.finish();
    }

    // AC scan: runs of empty blocks, EOB14 (16384 + 14 extra bits, up to 32767 blocks). Each
    // run leaves at least 16384 blocks for the next unless it is the last.
    segment(out, 0xC4, oneSymbolTable(1, 0xE0));
    segment(out, 0xDA, scanHeader(1, 63));
    {
        BitWriter bits(out);
        std::int64_t left = blocks;
        while (left > 0) {
            const std::int64_t run = left <= 32767 ? left : std::min<std::int64_t>(32767, left - 16384);
            bits.put(0, 1);
            bits.put(std::uint32_t(run - 16384), 14);
            left -= run;
        }
        bits.finish();
    }
    out += "\xFF\xD9";
    std::ofstream(file, std::ios::binary).write(out.data(), std::streamsize(out.size()));
}

} // namespace ProgressiveJpeg
