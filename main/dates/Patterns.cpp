// Compiling the date patterns and running them, one thread-local matcher per pattern.
#include "dates/Patterns.h"

#include "dates/Dates.h"

#include <unicode/ustring.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Dates {
namespace {

constexpr std::array<std::string_view, 5> sources{reNum, reYMD, reWord, reYear, reExif};

struct CompiledPatterns {
    std::array<std::unique_ptr<icu::RegexPattern>, 5> patterns;

    CompiledPatterns()
    {
        for (std::size_t i = 0; i < sources.size(); ++i) {
            UErrorCode status = U_ZERO_ERROR;
            UParseError parseError{};
            const auto source = icu::UnicodeString::fromUTF8(
                icu::StringPiece(sources[i].data(), static_cast<int32_t>(sources[i].size())));
            patterns[i].reset(icu::RegexPattern::compile(source, 0, parseError, status));
            if (U_FAILURE(status)) {
                // The patterns are constants; this is a programming error, never a run-time one.
                std::fprintf(stderr, "kestova: date pattern %zu does not compile: %s\n", i, u_errorName(status));
                std::abort();
            }
        }
    }
};

const CompiledPatterns& compiled()
{
    // Never destroyed: detached job threads may still be matching while the process exits.
    static const CompiledPatterns* const instance = new CompiledPatterns();
    return *instance;
}

} // namespace

std::optional<std::int64_t> Groups::number(std::size_t i) const
{
    const std::u16string_view digits = text[i];
    if (digits.empty() || digits.size() > 9)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return value;
}

ThreadMatcher& ThreadMatcher::forThisThread()
{
    static thread_local ThreadMatcher matcher;
    return matcher;
}

ThreadMatcher::ThreadMatcher()
{
    const CompiledPatterns& all = compiled();
    for (std::size_t i = 0; i < matchers.size(); ++i) {
        UErrorCode status = U_ZERO_ERROR;
        matchers[i].reset(all.patterns[i]->matcher(status));
        if (U_FAILURE(status)) {
            std::fprintf(stderr, "kestova: cannot create a date matcher: %s\n", u_errorName(status));
            std::abort();
        }
    }
}

bool ThreadMatcher::load(std::string_view utf8)
{
    // UTF-8 never needs more UTF-16 units than it has bytes.
    if (utf8.size() >= static_cast<std::size_t>(INT32_MAX)) {
        buffer.remove();
        return false;
    }
    const auto capacity = static_cast<int32_t>(utf8.size()) + 1;
    char16_t* dest = buffer.getBuffer(capacity);
    if (dest == nullptr) {
        buffer.remove();
        return false;
    }
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(dest, buffer.getCapacity(), &length, utf8.data(), static_cast<int32_t>(utf8.size()),
                         0xFFFD, nullptr, &status);
    buffer.releaseBuffer(U_SUCCESS(status) ? length : 0);
    return U_SUCCESS(status);
}

std::optional<Groups> ThreadMatcher::groups(Pattern pattern)
{
    icu::RegexMatcher& matcher = *matchers[static_cast<std::size_t>(pattern)];
    matcher.reset(buffer);
    UErrorCode status = U_ZERO_ERROR;
    if (!matcher.find(status) || U_FAILURE(status))
        return std::nullopt;

    Groups found;
    found.count = static_cast<std::size_t>(matcher.groupCount());
    if (found.count > Groups::maxCount)
        return std::nullopt;
    const char16_t* chars = buffer.getBuffer();
    for (std::size_t g = 0; g < found.count; ++g) {
        const int32_t start = matcher.start(static_cast<int32_t>(g + 1), status);
        const int32_t end = matcher.end(static_cast<int32_t>(g + 1), status);
        if (U_FAILURE(status) || start < 0 || end < start)
            return std::nullopt;
        found.text[g] = std::u16string_view(chars + start, static_cast<std::size_t>(end - start));
    }
    return found;
}

} // namespace Dates
