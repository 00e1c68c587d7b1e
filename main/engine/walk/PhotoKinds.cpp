// The walk's constant tables and the junk pattern.
#include "engine/walk/PhotoKinds.h"

#include "engine/wall/WallPaths.h"
#include "engine/wall/WallSchema.h"

#include "engine/base/AsciiText.h"
#include "engine/base/IcuText.h"

#include <unicode/regex.h>

#include <array>
#include <memory>

namespace {

template <std::size_t N>
std::unordered_set<std::string> setOf(const std::array<std::string_view, N>& names)
{
    std::unordered_set<std::string> set;
    for (const std::string_view name : names)
        set.emplace(name);
    return set;
}

} // namespace

// The raw formats walked are the schema's: LibRaw reads more, but a name walked anew turns files
// into photos that were not on anyone's wall before.
const std::unordered_set<std::string>& PhotoKinds::rawExt()
{
    static const std::unordered_set<std::string> set = setOf(WallSchema::walkedRawExtensions);
    return set;
}

const std::unordered_set<std::string>& PhotoKinds::imageExt()
{
    static const std::unordered_set<std::string> set = [] {
        std::unordered_set<std::string> all{"jpg", "jpeg", "png", "heic", "heif", "gif", "webp", "tif", "tiff", "bmp"};
        all.insert(rawExt().begin(), rawExt().end());
        return all;
    }();
    return set;
}

const std::unordered_set<std::string>& PhotoKinds::videoExt()
{
    static const std::unordered_set<std::string> set = setOf(WallSchema::videoExtensions);
    return set;
}

bool PhotoKinds::isVideo(std::string_view rel)
{
    return videoExt().contains(AsciiText::lowerExtension(rel));
}

bool PhotoKinds::wantsPreview(std::string_view rel)
{
    // Chromium and Firefox on Linux show JPEG, PNG, GIF, WebP and BMP themselves, no raw file.
    static const std::unordered_set<std::string> set{"heic", "heif", "tif", "tiff"};
    const std::string extension = AsciiText::lowerExtension(rel);
    return set.contains(extension) || rawExt().contains(extension);
}

const std::unordered_set<std::string>& PhotoKinds::skipDirs()
{
    static const std::unordered_set<std::string> set{
        ".Trashes", ".Spotlight-V100", ".fseventsd", "System Volume Information",
        "$RECYCLE.BIN", "node_modules", ".git", std::string(WallPaths::defaultWallFolder)};
    return set;
}

namespace {

const icu::RegexPattern& junkPattern()
{
    // Compiled once; the function-local static makes the first use thread-safe.
    static const std::unique_ptr<icu::RegexPattern> pattern = [] {
        UErrorCode status = U_ZERO_ERROR;
        UParseError parseError;
        std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(
            icu::UnicodeString::fromUTF8(
                R"((?:^|/)(?:\.Trashes|\.Spotlight-V100|\.fseventsd|System Volume Information|\$RECYCLE\.BIN|node_modules|\.git)/|photoslibrary/resources/|/AppDomain[^/]*/|/Library/(?:Application Support|Frameworks|Caches)/|\.(?:app|framework)/|/(?:Contents|Resources|icons?|assets)/)"),
            UREGEX_CASE_INSENSITIVE, parseError, status));
        if (U_FAILURE(status))
            std::abort(); // a constant pattern that does not compile is a programming error
        return compiled;
    }();
    return *pattern;
}

} // namespace

bool PhotoKinds::isJunk(std::string_view path)
{
    // A matcher is not thread-safe, but it is cheap to reuse: one per thread.
    thread_local std::unique_ptr<icu::RegexMatcher> matcher = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> m(junkPattern().matcher(status));
        if (U_FAILURE(status))
            std::abort();
        return m;
    }();
    const icu::UnicodeString text = IcuText::fromBytes(path);
    matcher->reset(text);
    UErrorCode status = U_ZERO_ERROR;
    const bool found = matcher->find(0, status);
    matcher->reset(icu::UnicodeString()); // do not keep a pointer to the local text
    return U_SUCCESS(status) && found;
}
