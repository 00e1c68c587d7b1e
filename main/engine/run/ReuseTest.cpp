// The reuse test of a run's entries, in two halves at once.
#include "engine/run/ReuseTest.h"

#include <algorithm>
#include <future>
#include <span>
#include <system_error>

namespace {

/// The test of the entries from `first` on.
ReuseTest testPart(std::span<const FileEntry> entries, std::size_t first, CacheMap& map, const CacheInOrder& inOrder,
                   ProgressCache::WallIndex& wall, ProgressCache::Wanted wanted)
{
    using ProgressCache::Verdict;
    ReuseTest part;
    const auto byPath = [](const CacheMap::value_type* item, const std::string& rel) { return item->first < rel; };
    auto next = entries.empty() ? inOrder.end() : std::lower_bound(inOrder.begin(), inOrder.end(), entries.front().rel, byPath);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const FileEntry& entry = entries[i];
        while (next != inOrder.end() && byPath(*next, entry.rel))
            ++next;
        CacheRecord* record = nullptr;
        if (next != inOrder.end() && (*next)->first == entry.rel) {
            record = &(*next)->second;
        } else if (const auto it = map.find(entry.rel); it != map.end()) {
            record = &it->second; // an entry out of the paths' order, as a name not in NFC leaves it
        }
        const auto [verdict, flags] = ProgressCache::test(entry, record, wall, wanted);
        switch (verdict) {
        case Verdict::reusedStampAdopted:
            part.adoptedStamps = true;
            [[fallthrough]];
        case Verdict::reused:
            ++part.reused;
            if (flags & (Record::isVideo | Record::isLive))
                part.mayPlay.push_back(first + i);
            continue;
        case Verdict::redoChanged:
            part.changed.insert(entry.rel);
            [[fallthrough]];
        case Verdict::redo:
            part.todo.push_back(entry);
            part.mayPlay.push_back(first + i);
            continue;
        }
    }
    return part;
}

} // namespace

ReuseTest testReuse(const std::vector<FileEntry>& entries, CacheMap& map, ProgressCache::WallIndex& wall,
                    ProgressCache::Wanted wanted, const CacheInOrder& inOrder)
{
    // A small run gains nothing from a second thread.
    constexpr std::size_t alone = 4096;
    const std::span<const FileEntry> all(entries);
    if (entries.size() < alone)
        return testPart(all, 0, map, inOrder, wall, wanted);
    const std::size_t half = entries.size() / 2;
    std::future<ReuseTest> second;
    try {
        second = std::async(std::launch::async, [&] { return testPart(all.subspan(half), half, map, inOrder, wall, wanted); });
    } catch (const std::system_error&) {
        return testPart(all, 0, map, inOrder, wall, wanted); // no thread to be had
    }
    ReuseTest test = testPart(all.first(half), 0, map, inOrder, wall, wanted);
    ReuseTest rest = second.get();
    test.todo.insert(test.todo.end(), std::make_move_iterator(rest.todo.begin()), std::make_move_iterator(rest.todo.end()));
    test.changed.merge(rest.changed);
    test.mayPlay.insert(test.mayPlay.end(), rest.mayPlay.begin(), rest.mayPlay.end());
    test.reused += rest.reused;
    test.adoptedStamps = test.adoptedStamps || rest.adoptedStamps;
    return test;
}
