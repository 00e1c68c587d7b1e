// The wall's stamp: one line of what it was made from, one of its counts, one per file written.
#include "engine/wall/WallStamp.h"

#include "engine/base/AtomicFile.h"
#include "engine/base/FileState.h"
#include "engine/base/Md5.h"

#include <charconv>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view heading = "kestova wall stamp 1\n";

void appendState(std::string& text, const std::optional<FileState>& state)
{
    if (!state) {
        text += "- ";
        return;
    }
    for (const std::int64_t n : {std::int64_t(state->device), std::int64_t(state->inode), state->size,
                                 std::int64_t(state->modified.tv_sec), std::int64_t(state->modified.tv_nsec),
                                 std::int64_t(state->changed.tv_sec), std::int64_t(state->changed.tv_nsec)}) {
        text += std::to_string(n);
        text += ' ';
    }
}

/// One digest of the inputs: the cache file changes with every save (a new file, renamed into
/// place), the template and the gazetteer with the program's installation.
std::string inputsDigest(const WallInputs& inputs)
{
    std::string text;
    for (const fs::path* file : {&inputs.cacheFile, &inputs.templateFile, &inputs.gazetteerFile}) {
        text += file->string();
        text += '\n';
        appendState(text, FileState::of(*file));
        text += '\n';
    }
    for (const std::string* value : {&inputs.program, &inputs.title, &inputs.root}) {
        text += std::to_string(value->size());
        text += ':';
        text += *value;
        text += '\n';
    }
    text += std::to_string(inputs.toDo);
    return md5Hex(text);
}

/// The file's line: its identity, size and times, and its name; nothing when it is not there.
std::optional<std::string> fileLine(const fs::path& wallFolder, const std::string& name)
{
    const auto state = FileState::of(wallFolder / name);
    if (!state)
        return std::nullopt;
    std::string line;
    appendState(line, state);
    line += name;
    line += '\n';
    return line;
}

std::string countsLine(const WallCounts& c)
{
    std::string line = "counts";
    for (const std::int64_t n : {c.entries, c.undated, c.videos, c.undatedVideos, c.rawPairs}) {
        line += ' ';
        line += std::to_string(n);
    }
    line += '\n';
    return line;
}

std::optional<WallCounts> parseCounts(std::string_view line)
{
    if (!line.starts_with("counts "))
        return std::nullopt;
    line.remove_prefix(7);
    WallCounts counts;
    const char* at = line.data();
    const char* end = line.data() + line.size();
    for (std::int64_t* n : {&counts.entries, &counts.undated, &counts.videos, &counts.undatedVideos, &counts.rawPairs}) {
        while (at < end && *at == ' ')
            ++at;
        const auto [next, error] = std::from_chars(at, end, *n);
        if (error != std::errc() || *n < 0)
            return std::nullopt;
        at = next;
    }
    return at == end ? std::optional(counts) : std::nullopt;
}

/// The next line of `text` from `pos`, without its newline; nothing at the end.
std::optional<std::string_view> nextLine(std::string_view text, std::size_t& pos)
{
    if (pos >= text.size())
        return std::nullopt;
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos)
        return std::nullopt; // a stamp always ends in a newline: anything else is cut short
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    return line;
}

} // namespace

namespace WallStamp {

std::optional<WallCounts> standing(const fs::path& stampFile, const fs::path& wallFolder, const WallInputs& inputs)
{
    const auto text = AtomicFile::read(stampFile);
    if (!text || !text->starts_with(heading))
        return std::nullopt;
    std::size_t pos = heading.size();
    const auto inputsLine = nextLine(*text, pos);
    if (!inputsLine || *inputsLine != "inputs " + inputsDigest(inputs))
        return std::nullopt;
    const auto counts = nextLine(*text, pos);
    auto parsed = counts ? parseCounts(*counts) : std::nullopt;
    if (!parsed)
        return std::nullopt;
    // Each file as it was written: a file deleted, edited or written by another run differs in
    // its identity or its change time, which nothing sets back.
    bool anyFile = false;
    while (const auto line = nextLine(*text, pos)) {
        const std::size_t nameAt = line->rfind(' ');
        if (nameAt == std::string_view::npos)
            return std::nullopt;
        const std::string name(line->substr(nameAt + 1));
        const auto now = name.empty() ? std::nullopt : fileLine(wallFolder, name);
        if (!now || std::string_view(*now).substr(0, now->size() - 1) != *line)
            return std::nullopt;
        anyFile = true;
    }
    if (!anyFile || pos != text->size())
        return std::nullopt;
    return parsed;
}

void write(const fs::path& stampFile, const fs::path& wallFolder, const WallInputs& inputs, const WallCounts& counts,
           const std::vector<std::string>& files)
{
    std::string text(heading);
    text += "inputs ";
    text += inputsDigest(inputs);
    text += '\n';
    text += countsLine(counts);
    for (const std::string& name : files) {
        // The wall's own names; one with a space or a newline could not be read back.
        if (name.empty() || name.find_first_of(" \n") != std::string::npos)
            return;
        const auto line = fileLine(wallFolder, name);
        if (!line)
            return;
        text += *line;
    }
    (void)AtomicFile::write(stampFile, text);
}

} // namespace WallStamp
