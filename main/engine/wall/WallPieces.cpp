// The wall's data in pieces: their texts, the index naming them, and the data folder's upkeep.
#include "engine/wall/WallPieces.h"

#include "engine/base/AtomicFile.h"
#include "engine/base/DirStream.h"
#include "engine/wall/WallFiles.h"
#include "engine/base/Json.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <map>
#include <span>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

namespace WallPieces {
namespace {

// A piece is written column by column in the schema's order: a schema that reorders or renames
// its columns stops the build here until the writer below follows it.
static_assert(WallSchema::Data::columns.size() == 7 && WallSchema::Data::key == 0 && WallSchema::Data::dir == 1 &&
              WallSchema::Data::name == 2 && WallSchema::Data::width == 3 && WallSchema::Data::height == 4 &&
              WallSchema::Data::date == 5 && WallSchema::Data::mtime == 6);

/// A month as one number, year * 12 + month - 1, of a date's seconds read as UTC.
std::int64_t monthOf(std::int64_t seconds)
{
    using namespace std::chrono;
    const year_month_day day{floor<days>(sys_seconds{std::chrono::seconds{seconds}})};
    return std::int64_t{int(day.year())} * 12 + unsigned(day.month()) - 1;
}

std::string monthText(std::int64_t month)
{
    const std::int64_t year = month >= 0 ? month / 12 : (month - 11) / 12;
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02lld", static_cast<long long>(year),
                  static_cast<long long>(month - year * 12 + 1));
    return text;
}

/// The dated entries per month, newest first.
std::vector<std::pair<std::int64_t, std::int64_t>> monthsOf(const std::vector<WallEntry>& entries)
{
    // The wall's order makes the months runs, newest first; the runs are merged for any other.
    std::vector<std::pair<std::int64_t, std::int64_t>> months;
    for (const WallEntry& e : entries) {
        if (e.date == 0)
            continue;
        const std::int64_t month = monthOf(e.date);
        if (!months.empty() && months.back().first == month)
            ++months.back().second;
        else
            months.emplace_back(month, 1);
    }
    const auto newerFirst = [](const auto& a, const auto& b) { return a.first > b.first; };
    if (!std::ranges::is_sorted(months, [](const auto& a, const auto& b) { return a.first >= b.first; })) {
        std::ranges::stable_sort(months, newerFirst);
        std::vector<std::pair<std::int64_t, std::int64_t>> merged;
        for (const auto& run : months) {
            if (!merged.empty() && merged.back().first == run.first)
                merged.back().second += run.second;
            else
                merged.push_back(run);
        }
        months = std::move(merged);
    }
    return months;
}

/// Where an entry's file name begins: its rel is its folder, rel[0, start), and its name.
std::size_t nameStart(std::string_view rel)
{
    const auto slash = rel.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

/// Appends the JSON object of one piece.
void appendPieceJson(std::string& json, std::string_view generation, std::size_t number, std::span<const WallEntry> entries)
{
    // One pass over the entries fills every column; folders are named once per piece, and each
    // entry names its folder by number (the wall's order keeps a folder's photos mostly together).
    namespace Column = WallSchema::Data;
    std::array<std::string, Column::columns.size()> columns;
    for (std::string& column : columns)
        column.reserve(entries.size() * 12);
    std::vector<std::string_view> dirs;
    std::unordered_map<std::string_view, std::uint32_t> numbers;
    std::string_view lastDir;
    std::uint32_t lastNumber = 0;
    std::string media;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const WallEntry& e = entries[i];
        const std::size_t split = nameStart(e.rel);
        const std::string_view dir = std::string_view(e.rel).substr(0, split);
        if (i == 0 || dir != lastDir) {
            const auto [at, added] = numbers.try_emplace(dir, static_cast<std::uint32_t>(dirs.size()));
            if (added)
                dirs.push_back(dir);
            lastDir = dir;
            lastNumber = at->second;
        }
        if (i) {
            for (std::string& column : columns)
                column += ',';
        }
        Json::appendString(columns[Column::key], e.key);
        Json::appendInt(columns[Column::dir], lastNumber);
        Json::appendString(columns[Column::name], std::string_view(e.rel).substr(split));
        Json::appendInt(columns[Column::width], e.width);
        Json::appendInt(columns[Column::height], e.height);
        Json::appendInt(columns[Column::date], e.date);
        Json::appendInt(columns[Column::mtime], e.mtime);
        // Only the entries with media are listed, each led by its place in the piece.
        if (e.media.flags != 0) {
            media += media.empty() ? "[" : ",[";
            Json::appendInt(media, static_cast<std::int64_t>(i));
            WallOutput::appendMedia(media, e.media);
            media += ']';
        }
    }

    std::size_t size = media.size() + dirs.size() * 24 + 256;
    for (const std::string& column : columns)
        size += column.size() + 16;
    json.reserve(json.size() + size);
    json += "{\"generation\":";
    Json::appendString(json, generation);
    json += ",\"piece\":";
    Json::appendInt(json, static_cast<std::int64_t>(number));
    json += ",\"dirs\":";
    Json::appendArray(json, dirs, [](std::string& out, std::string_view dir) { Json::appendString(out, dir); });
    for (std::size_t c = 0; c < columns.size(); ++c) {
        json += ",\"";
        json += Column::columns[c];
        json += "\":[";
        json += columns[c];
        json += ']';
    }
    json += ",\"media\":[";
    json += media;
    json += "]}";
}

/// The index of `name` in `table`, added when new; -1 for an empty name.
template <class Name>
std::int64_t numberIn(std::vector<Name>& table, std::map<Name, std::int64_t>& numbers, const Name& name, bool known)
{
    if (!known)
        return -1;
    const auto [at, added] = numbers.try_emplace(name, static_cast<std::int64_t>(table.size()));
    if (added)
        table.push_back(name);
    return at->second;
}

/// Appends the JSON object of one piece's details (docs/wall-format.md).
void appendDetailsJson(std::string& json, std::string_view generation, std::size_t number, std::span<const WallEntry> entries)
{
    std::vector<std::string> cameras;
    std::vector<std::string> lenses;
    std::vector<Place> places;
    std::map<std::string, std::int64_t> cameraNumbers;
    std::map<std::string, std::int64_t> lensNumbers;
    std::map<Place, std::int64_t> placeNumbers;
    std::string size, camera, lens, place, exposure, geo;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const WallEntry& e = entries[i];
        const Record::Details& d = e.details;
        if (i) {
            size += ',';
            camera += ',';
            lens += ',';
            place += ',';
        }
        Json::appendInt(size, e.size);
        Json::appendInt(camera, numberIn(cameras, cameraNumbers, d.camera, !d.camera.empty()));
        Json::appendInt(lens, numberIn(lenses, lensNumbers, d.lens, !d.lens.empty()));
        Json::appendInt(place, numberIn(places, placeNumbers, e.place.value_or(Place{}), e.place.has_value()));
        if (d.exposure > 0 || d.fNumber > 0 || d.iso > 0 || d.focal > 0 || d.focal35 > 0) {
            exposure += exposure.empty() ? "[" : ",[";
            Json::appendInt(exposure, static_cast<std::int64_t>(i));
            exposure += ',';
            Json::appendNumber(exposure, d.exposure);
            exposure += ',';
            Json::appendNumber(exposure, d.fNumber);
            exposure += ',';
            Json::appendInt(exposure, d.iso);
            exposure += ',';
            Json::appendNumber(exposure, d.focal);
            exposure += ',';
            Json::appendInt(exposure, d.focal35);
            exposure += ']';
        }
        if (d.geo) {
            geo += geo.empty() ? "[" : ",[";
            Json::appendInt(geo, static_cast<std::int64_t>(i));
            geo += ',';
            Json::appendNumber(geo, std::round(d.geo->first * 1e5) / 1e5);
            geo += ',';
            Json::appendNumber(geo, std::round(d.geo->second * 1e5) / 1e5);
            geo += ']';
        }
    }
    const auto appendNames = [](std::string& out, const std::string& name) { Json::appendString(out, name); };
    json.reserve(json.size() + size.size() + camera.size() + lens.size() + place.size() + exposure.size() + geo.size() + 512);
    json += "{\"generation\":";
    Json::appendString(json, generation);
    json += ",\"piece\":";
    Json::appendInt(json, static_cast<std::int64_t>(number));
    json += ",\"cameras\":";
    Json::appendArray(json, cameras, appendNames);
    json += ",\"lenses\":";
    Json::appendArray(json, lenses, appendNames);
    json += ",\"places\":";
    Json::appendArray(json, places, [](std::string& out, const Place& p) {
        out += '[';
        Json::appendString(out, p.town);
        out += ',';
        Json::appendString(out, p.region);
        out += ',';
        Json::appendString(out, p.country);
        out += ']';
    });
    json += ",\"size\":[";
    json += size;
    json += "],\"camera\":[";
    json += camera;
    json += "],\"lens\":[";
    json += lens;
    json += "],\"place\":[";
    json += place;
    json += "],\"exposure\":[";
    json += exposure;
    json += "],\"geo\":[";
    json += geo;
    json += "]}";
}

/// Escapes, from `start` on, what a JavaScript string between single quotes cannot hold as it
/// is: the piece's JSON goes to the page as a string, which the page parses as data, never the
/// browser as code. JSON's own escapes and the rare quote in a name are all there is to escape;
/// there are no line breaks, since JSON writes control characters, U+2028 and U+2029 escaped.
void quoteFrom(std::string& text, std::size_t start)
{
    // Most pieces hold neither: the two searches are all they cost.
    if (text.find('\\', start) == std::string::npos && text.find('\'', start) == std::string::npos)
        return;
    std::string quoted;
    quoted.reserve(text.size() + (text.size() - start) / 16);
    quoted.append(text, 0, start);
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] == '\\' || text[i] == '\'')
            quoted += '\\';
        quoted += text[i];
    }
    text = std::move(quoted);
}

std::string pieceFile(std::string_view generation, std::size_t number, std::string_view end = ".js")
{
    std::string file(WallFiles::data);
    file += '/';
    file += generation;
    file += '-';
    file += std::to_string(number);
    file += end;
    return file;
}

std::string indexText(const Heading& heading, std::string_view generation, const std::vector<WallEntry>& entries,
                       const std::vector<Piece>& pieces)
{
    std::string text = "window.KESTOVA_WALL={\"format\":";
    Json::appendString(text, WallSchema::Data::format);
    text += ",\"version\":";
    Json::appendInt(text, WallSchema::Data::version);
    text += ",\"generation\":";
    Json::appendString(text, generation);
    text += ",\"title\":";
    Json::appendString(text, heading.title);
    text += ",\"root\":";
    Json::appendString(text, heading.root);
    text += ",\"photos\":";
    Json::appendInt(text, static_cast<std::int64_t>(entries.size()));
    text += ",\"undated\":";
    Json::appendInt(text, std::ranges::count_if(entries, [](const WallEntry& e) { return e.date == 0; }));
    text += ",\"months\":";
    Json::appendArray(text, monthsOf(entries), [](std::string& out, const auto& month) {
        out += '[';
        Json::appendString(out, monthText(month.first));
        out += ',';
        Json::appendInt(out, month.second);
        out += ']';
    });
    text += ",\"pieces\":";
    Json::appendArray(text, pieces, [](std::string& out, const Piece& piece) {
        out += "{\"file\":";
        Json::appendString(out, piece.file);
        out += ",\"photos\":";
        Json::appendInt(out, piece.photos);
        out += ",\"newest\":";
        Json::appendInt(out, piece.newest);
        out += ",\"oldest\":";
        Json::appendInt(out, piece.oldest);
        out += ",\"details\":";
        Json::appendString(out, piece.details);
        out += '}';
    });
    text += "};";
    return text;
}

/// How many threads write the pieces, or remove the old ones, beside the caller: the time goes
/// mostly to waiting on the disk for each file (its flush, the freeing of its blocks), and the
/// file system takes the waits of several at once together. On an ext4 disk, twenty pieces
/// flushed from four threads took under half the time of one (bench/bench_update shows the
/// whole write).
constexpr std::size_t helpers = 3;

/// Runs `work` on the calling thread and on up to `count` threads more, and returns when it has
/// returned on each. Where no thread is to be had, the calling thread works alone.
template <class Work>
void together(std::size_t count, Work work)
{
    std::vector<std::jthread> threads;
    for (std::size_t i = 0; i < count; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
}

void makeFolder(const fs::path& folder)
{
    if (mkdir(folder.c_str(), 0777) == 0)
        return;
    const int error = errno;
    struct stat st{};
    if (error != EEXIST || lstat(folder.c_str(), &st) != 0)
        throw JobError(JobErrorTexts::folderFailed, {folder.string()}, error);
    if (S_ISLNK(st.st_mode))
        throw JobError(JobErrorTexts::linkRefused, {folder.string()});
    if (!S_ISDIR(st.st_mode))
        throw JobError(JobErrorTexts::folderBlocked, {folder.string()});
}

} // namespace

Data plan(const Heading& heading, const std::vector<WallEntry>& entries, std::string_view generation, std::size_t perPiece)
{
    Data data;
    data.generation = std::string(generation);
    perPiece = std::max<std::size_t>(perPiece, 1);
    for (std::size_t start = 0, number = 0; start < entries.size(); start += perPiece, ++number) {
        Piece piece;
        piece.file = pieceFile(generation, number);
        piece.details = pieceFile(generation, number, WallFiles::detailsEnd);
        piece.start = start;
        piece.photos = static_cast<std::int64_t>(std::min(perPiece, entries.size() - start));
        piece.newest = entries[start].date;
        piece.oldest = entries[start + static_cast<std::size_t>(piece.photos) - 1].date;
        data.pieces.push_back(std::move(piece));
    }
    data.index = indexText(heading, generation, entries, data.pieces);
    return data;
}

namespace {

// A piece's script: `call('` + the JSON that `append` writes of the piece's entries, quoted + `');`.
template <typename Append>
std::string pieceScript(std::string_view call, Append append, const Data& data, std::size_t number,
                        const std::vector<WallEntry>& entries)
{
    const Piece& piece = data.pieces.at(number);
    std::string text(call);
    text += "('";
    const std::size_t quoted = text.size();
    append(text, data.generation, number,
           std::span<const WallEntry>(entries).subspan(piece.start, static_cast<std::size_t>(piece.photos)));
    quoteFrom(text, quoted);
    text += "');";
    return text;
}

} // namespace

std::string pieceText(const Data& data, std::size_t number, const std::vector<WallEntry>& entries)
{
    return pieceScript("kestovaPiece", appendPieceJson, data, number, entries);
}

std::string detailsText(const Data& data, std::size_t number, const std::vector<WallEntry>& entries)
{
    return pieceScript("kestovaDetails", appendDetailsJson, data, number, entries);
}

std::optional<std::string> generationOf(std::string_view indexText)
{
    // The index is ours: its first "generation" member is the wall's.
    constexpr std::string_view member = "\"generation\":\"";
    const auto at = indexText.find(member);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string_view generation = indexText.substr(at + member.size(), WallFiles::generationLength);
    if (generation.size() != WallFiles::generationLength || !WallFiles::isPieceName(std::string(generation) + "-0.js"))
        return std::nullopt;
    return std::string(generation);
}

bool onDisk(const fs::path& wall, const Data& data, const std::vector<WallEntry>& entries)
{
    const fs::path folder = wall / WallFiles::data;
    const auto same = [&folder](const std::string& file, const std::string& text) {
        const auto bytes = AtomicFile::read(folder / fs::path(file).filename());
        return bytes && *bytes == text;
    };
    for (std::size_t n = 0; n < data.pieces.size(); ++n) {
        if (!same(data.pieces[n].file, pieceText(data, n, entries)) ||
            !same(data.pieces[n].details, detailsText(data, n, entries)))
            return false;
    }
    return true;
}

std::string newGeneration(const fs::path& wall)
{
    std::unordered_set<std::string> taken;
    if (DirStream data(wall / WallFiles::data, O_NOFOLLOW); data) {
        while (const dirent* e = data.next()) {
            const std::string_view name = e->d_name;
            if (WallFiles::isPieceName(name))
                taken.emplace(name.substr(0, WallFiles::generationLength));
        }
    }
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch());
    auto count = static_cast<unsigned long long>(now.count());
    while (true) {
        char text[WallFiles::generationLength + 1];
        std::snprintf(text, sizeof text, "%016llx", count);
        if (!taken.contains(text))
            return text;
        ++count;
    }
}

Writer::Writer(const fs::path& wall, const Data& data, const std::vector<WallEntry>& entries)
    : folder(wall / WallFiles::data), data(data), entries(entries)
{
    if (data.pieces.empty())
        return;
    makeFolder(folder);
    for (std::size_t i = 0; i < std::min(helpers, data.pieces.size()); ++i) {
        try {
            threads.emplace_back([this] { work(); });
        } catch (const std::system_error&) {
            break; // finish() writes what the threads there are leave
        }
    }
}

Writer::~Writer()
{
    stop = true;
}

void Writer::work()
{
    // Each piece is made where it is written, so that no more than a few texts are held at once.
    for (std::size_t n = next++; n < data.pieces.size() && !stop; n = next++) {
        try {
            const std::string text = pieceText(data, n, entries);
            if (auto error = AtomicFile::write(folder / fs::path(data.pieces[n].file).filename(), text))
                throw *error;
            const std::string details = detailsText(data, n, entries);
            if (auto error = AtomicFile::write(folder / fs::path(data.pieces[n].details).filename(), details))
                throw *error;
        } catch (...) {
            const std::lock_guard guard(lock);
            if (!failure)
                failure = std::current_exception();
            stop = true;
        }
    }
}

void Writer::finish()
{
    work();
    for (std::jthread& thread : threads)
        thread.join();
    threads.clear();
    if (failure)
        std::rethrow_exception(failure);
}

void removeUnnamed(const fs::path& wall, const Data& data)
{
    const DirStream top(wall, O_NOFOLLOW);
    if (!top)
        return;
    DirStream folder(top.fd(), WallFiles::data.data(), O_NOFOLLOW);
    if (!folder)
        return;
    std::unordered_set<std::string_view> named;
    for (const Piece& piece : data.pieces) {
        named.insert(std::string_view(piece.file).substr(WallFiles::data.size() + 1));
        named.insert(std::string_view(piece.details).substr(WallFiles::data.size() + 1));
    }
    std::vector<std::string> unnamed;
    while (const dirent* e = folder.next()) {
        // Only the pieces themselves: whatever else lies here may be someone's (a folder chosen
        // as the wall's may have held a data folder of its own), and a killed writer's temporary
        // files are swept when a run starts.
        if (!WallFiles::isPieceName(e->d_name) || named.contains(e->d_name))
            continue;
        struct stat st{};
        if (fstatat(folder.fd(), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            unnamed.emplace_back(e->d_name);
    }
    // Removed once the listing is read: a folder changed while it is read may skip entries.
    std::atomic<std::size_t> next{0};
    together(std::min(helpers, unnamed.size() / 4), [&] {
        for (std::size_t n = next++; n < unnamed.size(); n = next++)
            unlinkat(folder.fd(), unnamed[n].c_str(), 0);
    });
}

} // namespace WallPieces
