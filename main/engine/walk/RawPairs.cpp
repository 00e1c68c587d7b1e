// Counting the raw and JPEG pairs of a wall as its page does.
#include "engine/walk/RawPairs.h"

#include "dates/Ascii.h"
#include "engine/base/AsciiText.h"
#include "engine/base/IcuText.h"
#include "engine/wall/WallOutput.h"
#include "engine/wall/WallSchema.h"

#include <unicode/locid.h>

#include <algorithm>
#include <unordered_set>

namespace RawPairs {
namespace {

/// The path without the extension of its last component (the page's withoutExtension).
std::string_view withoutExtension(std::string_view rel)
{
    const auto dot = rel.rfind('.');
    const auto slash = rel.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return rel;
    return rel.substr(0, dot);
}

/// Every raw name the page pairs: the schema's, more than the engine walks (a wall the engine
/// writes holds only those, so both count the same).
bool isRaw(std::string_view rel)
{
    const std::string ext = AsciiText::lowerExtension(rel);
    return std::ranges::find(WallSchema::rawExtensions, ext) != WallSchema::rawExtensions.end();
}

bool isJpeg(std::string_view rel)
{
    const std::string ext = AsciiText::lowerExtension(rel);
    return ext == "jpg" || ext == "jpeg";
}

} // namespace

std::string lowerPath(std::string_view rel)
{
    if (Ascii::isAscii(rel))
        return AsciiText::lower(rel);
    icu::UnicodeString text = IcuText::fromBytes(rel);
    // Bytes that are not UTF-8 would come back as U+FFFD and make different names equal.
    constexpr std::string_view replacement = "\xEF\xBF\xBD";
    const bool valid = rel.find(replacement) != std::string_view::npos
                       || IcuText::toBytes(text).find(replacement) == std::string::npos;
    if (!valid)
        return AsciiText::lower(rel);
    text.toLower(icu::Locale::getRoot());
    return IcuText::toBytes(text);
}

std::int64_t count(const std::vector<WallEntry>& entries)
{
    // The page pairs each raw name with the first JPEG of that name and hides the raw file, so
    // the pairs are the raw names that some JPEG also has, each counted once.
    std::unordered_set<std::string> raws;
    for (const WallEntry& e : entries) {
        if (isRaw(e.rel))
            raws.insert(lowerPath(withoutExtension(e.rel)));
    }
    if (raws.empty())
        return 0;
    std::int64_t pairs = 0;
    for (const WallEntry& e : entries) {
        if (isJpeg(e.rel) && raws.erase(lowerPath(withoutExtension(e.rel))) > 0)
            ++pairs;
    }
    return pairs;
}

} // namespace RawPairs
