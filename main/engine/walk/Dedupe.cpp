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
#include <unordered_map>

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

struct Key {
    std::string name;
    std::int64_t size;
    std::string content; ///< the content sample of a candidate copy; empty until one is needed
    bool operator==(const Key&) const = default;
};

struct KeyHash {
    std::size_t operator()(const Key& k) const noexcept
    {
        return std::hash<std::string>{}(k.name) ^ (std::hash<std::int64_t>{}(k.size) * 0x9E3779B97F4A7C15ull)
               ^ (std::hash<std::string>{}(k.content) << 1);
    }
};

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

std::vector<FileEntry> dedupe(const std::vector<FileEntry>& entries, const ContentOf& contentOf,
                              const SameContent& sameContent)
{
    std::vector<Key> keys;
    keys.reserve(entries.size());
    for (const FileEntry& entry : entries)
        keys.push_back(Key{nameKey(lastComponent(entry.rel)), entry.size, {}});
    if (contentOf) {
        // Only photos that share a name and a size with another are looked into: they are
        // copies only when their content agrees too (scans and raw files often share both).
        // Counted by pointing at the keys, which are not copied.
        const auto hashOf = [](const Key* k) { return KeyHash{}(*k); };
        const auto same = [](const Key* a, const Key* b) { return *a == *b; };
        std::unordered_map<const Key*, int, decltype(hashOf), decltype(same)> sharing(entries.size(), hashOf, same);
        for (const Key& key : keys)
            ++sharing[&key];
        std::vector<bool> shared(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
            shared[i] = sharing[&keys[i]] >= 2;
        sharing.clear();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            // A file that cannot be read is no proven copy: a marker of its own keeps it apart.
            if (shared[i])
                keys[i].content = contentOf(entries[i]).value_or("unread:" + entries[i].rel);
        }
    }

    // Per key, the photos of different content: one unless samples agree where whole files
    // do not. Nearly every key holds one photo, so a key's photos are a chain of slots rather
    // than a list of their own.
    constexpr std::uint32_t none = UINT32_MAX;
    struct Slot {
        const FileEntry* entry;
        std::uint32_t next; ///< the key's next slot, or none
    };
    std::vector<Slot> slots;
    slots.reserve(entries.size());
    std::unordered_map<Key, std::uint32_t, KeyHash> firstSlot;
    firstSlot.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const FileEntry& entry = entries[i];
        const auto [it, fresh] = firstSlot.try_emplace(std::move(keys[i]), static_cast<std::uint32_t>(slots.size()));
        if (fresh) {
            slots.push_back({&entry, none});
            continue;
        }
        // A sample reads a few blocks: files that agree there are compared whole before one
        // hides the other.
        std::uint32_t at = it->second;
        std::uint32_t last = at;
        for (; at != none; last = at, at = slots[at].next) {
            if (!sameContent || sameContent(*slots[at].entry, entry))
                break;
        }
        if (at == none) {
            slots[last].next = static_cast<std::uint32_t>(slots.size());
            slots.push_back({&entry, none});
        } else if (depth(entry.rel) < depth(slots[at].entry->rel)) {
            // A later copy replaces the held one only when it lies strictly nearer the top.
            slots[at].entry = &entry;
        }
    }

    struct Sorted {
        std::string_view order; // rel in NFC: UTF-8 byte order is code-point order
        const FileEntry* entry;
    };
    std::deque<std::string> normalized; // the NFC of paths that are not ASCII, which `order` views
    std::vector<Sorted> sorted;
    sorted.reserve(slots.size());
    for (const Slot& slot : slots) {
        const std::string& rel = slot.entry->rel;
        sorted.push_back({Ascii::isAscii(rel) ? std::string_view(rel) : std::string_view(normalized.emplace_back(nfc(rel))),
                          slot.entry});
    }
    std::sort(sorted.begin(), sorted.end(), [](const Sorted& a, const Sorted& b) { return a.order < b.order; });

    std::vector<FileEntry> out;
    out.reserve(sorted.size());
    for (const Sorted& s : sorted)
        out.push_back(*s.entry);
    return out;
}
