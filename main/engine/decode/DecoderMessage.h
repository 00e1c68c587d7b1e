// A decoder's own words on why it failed, made fit to show beside the reason: one line of
// UTF-8, short. The words stay the library's; nothing is translated.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace DecoderMessage {

/// The most bytes a message keeps: a line in a list, not the library's whole log.
inline constexpr std::size_t longest = 200;

/// `said` as one line: each of its lines trimmed, empty and repeated ones dropped, the rest
/// joined with "; "; bytes that are not UTF-8 and control characters replaced; cut to at most
/// `longest` bytes at a character, ending in "…" when cut. Empty when nothing was said.
std::string plain(std::string_view said);

/// FFmpeg's words for one of its error codes (av_strerror); empty for a code that is no error.
std::string ofFfmpeg(int error);

} // namespace DecoderMessage
