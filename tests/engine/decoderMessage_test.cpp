// A decoder's words become one short line of UTF-8, the library's text otherwise kept.
#include "engine/decode/DecoderMessage.h"

#include <gtest/gtest.h>

TEST(DecoderMessage, ALibrarysWordsBecomeOnePlainLine)
{
    const std::string longWords(300, 'x');
    const struct {
        const char* name;
        std::string said;
        std::string plain;
    } rows[] = {
        {"nothing", "", ""},
        {"only blanks", " \n\t\n", ""},
        {"a trailing newline", "VipsJpeg: Premature end of JPEG file\n", "VipsJpeg: Premature end of JPEG file"},
        {"repeated lines", "a: bad\r\na: bad\n  b: worse  \na: bad\n", "a: bad; b: worse"},
        {"bytes that are not UTF-8", "name \xff\xfe.jpg", "name \uFFFD\uFFFD.jpg"},
        {"control characters", "tab\there\x01", "tab here"},
        {"too long", longWords, longWords.substr(0, 197) + "\u2026"},
        {"cut inside a character", std::string(196, 'x') + "\u00e9\u00e9\u00e9", std::string(196, 'x') + "\u2026"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DecoderMessage::plain(row.said), row.plain);
        EXPECT_LE(DecoderMessage::plain(row.said).size(), DecoderMessage::longest);
    }
    EXPECT_EQ(DecoderMessage::ofFfmpeg(0), "");
    EXPECT_FALSE(DecoderMessage::ofFfmpeg(-1094995529).empty()); // AVERROR_INVALIDDATA
}
