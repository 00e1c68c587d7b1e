// Duplicate collapsing: copies share a file name (ignoring case) and a size.
#include "engine/walk/Dedupe.h"

#include "dates/Ascii.h"

#include "engine/base/AsciiText.h"
#include "engine/base/IcuText.h"

#include <unicode/normalizer2.h>
#include <unicode/locid.h>

#include <algorithm>
#include <cstdint>
#include <deque>

namespace {

/// Whether a conversion brought in U+FFFD that the original bytes did not hold: they were not
/// UTF-8, and the converted text would make different names equal.
bool lostBytes(std::string_view original, std::string_view converted)
{
    constexpr std::string_view replacement = "\xEF\xBF\xBD";
    return converted.find(replacement) != std::string_view::npos && original.find(replacement) == std::string_view::npos;
}

/// NFC of the bytes when they are UTF-8; other bytes are compared as they are.
std::string nfc(std::string_view bytes)
{
    if (Ascii::isAscii(bytes))
        return std::string(bytes);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    const icu::UnicodeString text = IcuText::fromBytes(bytes);
    if (U_FAILURE(status))
        return std::string(bytes);
    icu::UnicodeString normal = normalizer->normalize(text, status);
    if (U_FAILURE(status))
        return std::string(bytes);
    std::string out = IcuText::toBytes(normal);
    // A name that is not UTF-8 came back with U+FFFD in it; keep its own bytes instead, so two
    // different invalid names never collapse into one.
    if (lostBytes(bytes, out))
        return std::string(bytes);
    return out;
}

/// The locale-independent lower-case mapping, then NFC, so canonically equivalent names agree.
std::string nameKey(std::string_view name)
{
    if (Ascii::isAscii(name))
        return AsciiText::lower(name);
    icu::UnicodeString text = IcuText::fromBytes(name);
    text.toLower(icu::Locale::getRoot());
    const std::string lowered = IcuText::toBytes(text);
    if (lostBytes(name, lowered))
        return std::string(name);
    return nfc(lowered);
}

std::size_t depth(const std::string& rel)
{
    return static_cast<std::size_t>(std::count(rel.begin(), rel.end(), '/'));
}

std::string_view lastComponent(const std::string& rel)
{
    const auto slash = rel.rfind('/');
    return slash == std::string::npos ? std::string_view(rel) : std::string_view(rel).substr(slash + 1);
}

} // namespace

std::vector<FileEntry> dedupe(std::vector<FileEntry> entries, const ContentOf& contentOf, const SameContent& sameContent)
{
    const std::size_t count = entries.size();
    // Entries of one name and size lie side by side, in the walk's order: grouped by sorting
    // numbers, which a million photos do in a fraction of what a table of their keys takes. The
    // hash travels with its entry's number, so that the sort reads nothing else unless two
    // hashes agree; only then are the names' keys made again and compared, and no list of a
    // key per photo is kept.
    struct Keyed {
        std::uint64_t hash;
        std::uint32_t entry;
    };
    const auto nameOf = [&entries](std::uint32_t i) { return nameKey(lastComponent(entries[i].rel)); };
    std::vector<Keyed> order(count);
    for (std::uint32_t i = 0; i < count; ++i)
        order[i] = {std::hash<std::string>{}(nameOf(i)) ^ (std::uint64_t(entries[i].size) * 0x9E3779B97F4A7C15ull), i};
    const auto sameKey = [&](const Keyed& a, const Keyed& b) {
        return a.hash == b.hash && entries[a.entry].size == entries[b.entry].size && nameOf(a.entry) == nameOf(b.entry);
    };
    std::sort(order.begin(), order.end(), [&](const Keyed& a, const Keyed& b) {
        if (a.hash != b.hash)
            return a.hash < b.hash;
        if (entries[a.entry].size != entries[b.entry].size)
            return entries[a.entry].size < entries[b.entry].size;
        if (const int c = nameOf(a.entry).compare(nameOf(b.entry)); c != 0)
            return c < 0;
        return a.entry < b.entry;
    });

    std::vector<bool> kept(count);
    std::vector<std::uint32_t> held; ///< of one group, the photos of different content
    for (std::size_t start = 0; start < count;) {
        std::size_t end = start + 1;
        while (end < count && sameKey(order[start], order[end]))
            ++end;
        if (end - start == 1) {
            kept[order[start].entry] = true;
            start = end;
            continue;
        }
        // Only photos that share a name and a size with another are looked into: they are
        // copies only when their content agrees too (scans and raw files often share both).
        // A file that cannot be read is no proven copy: a marker of its own keeps it apart.
        std::vector<std::pair<std::string, std::uint32_t>> group;
        for (std::size_t at = start; at < end; ++at) {
            const std::uint32_t i = order[at].entry;
            group.emplace_back(contentOf ? contentOf(entries[i]).value_or("unread:" + entries[i].rel) : std::string(), i);
        }
        std::sort(group.begin(), group.end());
        for (std::size_t first = 0; first < group.size();) {
            std::size_t last = first + 1;
            while (last < group.size() && group[last].first == group[first].first)
                ++last;
            // A sample reads a few blocks: files that agree there are compared whole before one
            // hides the other. A later copy replaces the held one only when it lies strictly
            // nearer the top.
            held.clear();
            for (std::size_t at = first; at < last; ++at) {
                const std::uint32_t i = group[at].second;
                const auto copyOf = std::find_if(held.begin(), held.end(), [&](std::uint32_t h) {
                    return !sameContent || sameContent(entries[h], entries[i]);
                });
                if (copyOf == held.end())
                    held.push_back(i);
                else if (depth(entries[i].rel) < depth(entries[*copyOf].rel))
                    *copyOf = i;
            }
            for (const std::uint32_t i : held)
                kept[i] = true;
            first = last;
        }
        start = end;
    }

    struct Sorted {
        std::string_view order; // rel in NFC: UTF-8 byte order is code-point order
        std::uint32_t entry;
    };
    std::deque<std::string> normalized; // the NFC of paths that are not ASCII, which `order` views
    std::vector<Sorted> sorted;
    sorted.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!kept[i])
            continue;
        const std::string& rel = entries[i].rel;
        sorted.push_back({Ascii::isAscii(rel) ? std::string_view(rel) : std::string_view(normalized.emplace_back(nfc(rel))), i});
    }
    // The walk goes through each folder in this order already: only names that are not in NFC,
    // or a file system that changed while walked, leave work for the sort.
    const auto byPath = [](const Sorted& a, const Sorted& b) { return a.order < b.order; };
    if (std::is_sorted(sorted.begin(), sorted.end(), byPath)) {
        // The copies hidden leave their places; the others stay where they are.
        std::size_t placed = 0;
        for (const Sorted& s : sorted) {
            if (s.entry != placed)
                entries[placed] = std::move(entries[s.entry]);
            ++placed;
        }
        entries.erase(entries.begin() + std::ptrdiff_t(placed), entries.end());
        return entries;
    }
    std::sort(sorted.begin(), sorted.end(), byPath);

    std::vector<FileEntry> out;
    out.reserve(sorted.size());
    for (const Sorted& s : sorted)
        out.push_back(std::move(entries[s.entry])); // each entry moves once; `order` views no more of it
    return out;
}
