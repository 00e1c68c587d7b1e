// Decoders' messages made plain.
#include "engine/decode/DecoderMessage.h"

#include "engine/base/Utf8.h"

extern "C" {
#include <libavutil/error.h>
}

#include <algorithm>
#include <vector>

namespace DecoderMessage {
namespace {

constexpr std::string_view ellipsis = "\u2026";

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view line)
{
    while (!line.empty() && isSpace(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && isSpace(line.back()))
        line.remove_suffix(1);
    return line;
}

/// The line with every byte that is not UTF-8 made U+FFFD and every control character a space.
std::string sanitised(std::string_view line)
{
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size();) {
        char32_t code = 0;
        const std::size_t n = Utf8::decodeOne(line, i, code);
        if (n == 0) {
            Utf8::append(out, U'\uFFFD');
            ++i;
            continue;
        }
        if (code < 0x20 || code == 0x7F)
            out += ' ';
        else
            out.append(line.substr(i, n));
        i += n;
    }
    return out;
}

/// The longest start of valid UTF-8 text that fits in `bytes`, cut between characters.
std::size_t cutAt(std::string_view text, std::size_t bytes)
{
    std::size_t at = std::min(bytes, text.size());
    // A continuation byte is never the first of a character.
    while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
        --at;
    return at;
}

} // namespace

std::string plain(std::string_view said)
{
    std::vector<std::string> lines;
    while (!said.empty()) {
        const std::size_t end = said.find_first_of("\r\n");
        const std::string line = sanitised(trimmed(said.substr(0, end)));
        // Libraries repeat themselves as a failure passes up their layers.
        if (const std::string_view kept = trimmed(line);
            !kept.empty() && std::find(lines.begin(), lines.end(), kept) == lines.end())
            lines.emplace_back(kept);
        said.remove_prefix(end == std::string_view::npos ? said.size() : end + 1);
    }
    std::string out;
    for (const std::string& line : lines) {
        if (!out.empty())
            out += "; ";
        out += line;
    }
    if (out.size() <= longest)
        return out;
    out.resize(cutAt(out, longest - ellipsis.size()));
    while (!out.empty() && (isSpace(out.back()) || out.back() == ';'))
        out.pop_back();
    out += ellipsis;
    return out;
}

std::string ofFfmpeg(int error)
{
    if (error >= 0)
        return {};
    // A code FFmpeg has no words for still gets its generic ones, which name the number.
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return plain(text);
}

} // namespace DecoderMessage
