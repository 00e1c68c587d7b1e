// The record of photos in flight.
#include "engine/PhotoJournal.h"

#include "engine/AtomicFile.h"
#include "engine/Json.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <optional>

namespace {

struct Line {
    char tag = 0;
    std::int64_t numbers[3] = {0, 0, 0};
    std::string rel;
};

/// One line of the file; nothing when it is torn or not ours.
std::optional<Line> parseLine(std::string_view text)
{
    Line line;
    if (text.size() < 2 || text[1] != ' ')
        return std::nullopt;
    line.tag = text[0];
    const int numbers = line.tag == 'D' ? 3 : line.tag == 'S' ? 2 : (line.tag == 'E' || line.tag == 'H') ? 0 : -1;
    if (numbers < 0)
        return std::nullopt;
    std::size_t pos = 2;
    for (int i = 0; i < numbers; ++i) {
        const auto [end, error] = std::from_chars(text.data() + pos, text.data() + text.size(), line.numbers[i]);
        if (error != std::errc() || end == text.data() + text.size() || *end != ' ')
            return std::nullopt;
        pos = static_cast<std::size_t>(end - text.data()) + 1;
    }
    if (!Json::readString(text, pos, line.rel) || pos != text.size())
        return std::nullopt;
    return line;
}

} // namespace

PhotoJournal::PhotoJournal(std::filesystem::path file_, const std::vector<FileEntry>& entries) : file(std::move(file_))
{
    const auto text = AtomicFile::read(file);
    if (!text)
        return;
    std::unordered_map<std::string, Count> read;
    std::unordered_map<std::string, Count> started;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const auto newline = rest.find('\n');
        if (newline == std::string_view::npos)
            break; // a line cut short by the end of its run
        const auto line = parseLine(rest.substr(0, newline));
        rest.remove_prefix(newline + 1);
        if (!line)
            continue;
        switch (line->tag) {
        case 'D':
            read[line->rel] = Count{static_cast<int>(std::min<std::int64_t>(line->numbers[0], deathsToPassOver)),
                                    line->numbers[1], line->numbers[2]};
            break;
        case 'S':
            started[line->rel] = Count{0, line->numbers[0], line->numbers[1]};
            break;
        case 'E':
            started.erase(line->rel);
            read.erase(line->rel);
            break;
        case 'H': {
            auto it = started.find(line->rel);
            Count given = it != started.end() ? it->second : read[line->rel];
            given.deaths = deathsToPassOver;
            read[line->rel] = given;
            if (it != started.end())
                started.erase(it);
            break;
        }
        }
    }
    // Whatever was started and never ended was in flight when the run died.
    for (auto& [rel, start] : started) {
        auto& count = read[rel];
        const int before = count.size == start.size && count.mtime == start.mtime ? count.deaths : 0;
        count = Count{std::min(before + 1, deathsToPassOver), start.size, start.mtime};
    }
    if (read.empty())
        return;
    for (const FileEntry& entry : entries) {
        const auto it = read.find(entry.rel);
        if (it != read.end() && it->second.size == entry.size && it->second.mtime == entry.mtime)
            counts.emplace(entry.rel, it->second);
    }
}

PhotoJournal::~PhotoJournal()
{
    if (fd >= 0)
        ::close(fd);
}

bool PhotoJournal::passesOver(const FileEntry& entry) const
{
    std::lock_guard guard(mutex);
    const auto it = counts.find(entry.rel);
    return it != counts.end() && it->second.deaths >= deathsToPassOver;
}

bool PhotoJournal::isSuspect(const FileEntry& entry) const
{
    std::lock_guard guard(mutex);
    const auto it = counts.find(entry.rel);
    return it != counts.end() && it->second.deaths > 0;
}

std::string PhotoJournal::countLines() const
{
    std::string text;
    for (const auto& [rel, count] : counts) {
        text += "D " + std::to_string(count.deaths) + ' ' + std::to_string(count.size) + ' ' + std::to_string(count.mtime) + ' ';
        Json::appendString(text, rel);
        text += '\n';
    }
    return text;
}

void PhotoJournal::open()
{
    std::lock_guard guard(mutex);
    // The counts so far, written whole, then this run's events appended one line at a time.
    if (AtomicFile::write(file, countLines()))
        return;
    // Not through a link planted after the write above: the journal lives in the wall's folder only.
    fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
}

void PhotoJournal::append(const std::string& line)
{
    // One write per line: a run killed at any moment leaves whole lines, or a last line without
    // its line break, which the reader ignores. No fsync: the lines must survive the process,
    // not the machine.
    if (fd < 0)
        return;
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
}

PhotoJournal::Flight PhotoJournal::begin(const FileEntry& entry)
{
    std::unique_lock guard(mutex);
    const auto it = counts.find(entry.rel);
    const bool suspect = it != counts.end() && it->second.deaths > 0;
    if (suspect)
        turn.wait(guard, [&] { return gaveUp || (!alone && inFlight.empty()); });
    else
        turn.wait(guard, [&] { return gaveUp || !alone; });
    if (gaveUp)
        return Flight();
    alone = suspect;
    inFlight.insert_or_assign(entry.rel, Count{0, entry.size, entry.mtime});
    std::string line = "S " + std::to_string(entry.size) + ' ' + std::to_string(entry.mtime) + ' ';
    Json::appendString(line, entry.rel);
    line += '\n';
    append(line);
    return Flight(this, entry.rel);
}

void PhotoJournal::end(const std::string& rel)
{
    {
        std::lock_guard guard(mutex);
        // A photo given up on keeps its count even if it comes back after all.
        if (inFlight.erase(rel) == 0)
            return;
        alone = false;
        counts.erase(rel);
        std::string line = "E ";
        Json::appendString(line, rel);
        line += '\n';
        append(line);
    }
    turn.notify_all();
}

PhotoJournal::Flight::~Flight()
{
    if (journal)
        journal->end(rel);
}

std::vector<std::string> PhotoJournal::giveUp()
{
    std::vector<std::string> given;
    {
        std::lock_guard guard(mutex);
        gaveUp = true;
        for (const auto& [rel, start] : inFlight) {
            counts[rel] = Count{deathsToPassOver, start.size, start.mtime};
            std::string line = "H ";
            Json::appendString(line, rel);
            line += '\n';
            append(line);
            given.push_back(rel);
        }
        inFlight.clear();
    }
    turn.notify_all();
    return given;
}

void PhotoJournal::close()
{
    std::lock_guard guard(mutex);
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
    if (counts.empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        return;
    }
    (void)AtomicFile::write(file, countLines());
}
