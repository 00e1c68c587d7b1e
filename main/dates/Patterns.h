// The date patterns compiled once, and per-thread matching over a reused UTF-16 buffer.
// Internal to the dates library: ICU types never reach Dates.h.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace Dates {

enum class Pattern { num, ymd, word, year, exif };

/// The capture groups of one match, viewing the text they were found in (valid until that
/// thread's next load()).
struct Groups {
    static constexpr std::size_t maxCount = 6;
    std::array<std::u16string_view, maxCount> text{};
    std::size_t count = 0;

    /// Group i (0 = the pattern's first group) as a plain ASCII decimal number; nothing when it
    /// holds any other character, such as a full-width digit that the pattern's \d accepted.
    std::optional<std::int64_t> number(std::size_t i) const;
};

/// One thread's matchers and text buffer, created on the thread's first use and reused by every
/// later call so that a match costs no allocation. Not shared between threads.
class ThreadMatcher {
public:
    static ThreadMatcher& forThisThread();

    /// Replaces the text with UTF-8 bytes; each invalid sequence reads as U+FFFD.
    /// Returns false (and holds an empty text) if the bytes are too long for ICU.
    bool load(std::string_view utf8);

    /// The loaded text, which the caller may trim in place before matching.
    icu::UnicodeString& text() { return buffer; }

    /// The first match of the pattern in the whole text, searching from the start; its groups.
    std::optional<Groups> groups(Pattern pattern);

private:
    ThreadMatcher();

    icu::UnicodeString buffer;
    std::array<std::unique_ptr<icu::RegexMatcher>, 5> matchers;
};

} // namespace Dates
