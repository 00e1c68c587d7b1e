// The wall: entries dated and sorted from the cache, manifest.js, the data in pieces and index.html.
#include "engine/wall/WallOutput.h"

#include "dates/Dates.h"
#include "dates/PathDates.h"
#include "engine/base/AtomicFile.h"
#include "engine/decode/BuildFingerprint.h"
#include "engine/wall/PageTemplate.h"
#include "engine/wall/WallFiles.h"
#include "engine/walk/RawPairs.h"
#include "engine/wall/WallPieces.h"
#include "engine/base/Json.h"
#include "engine/wall/WallSchema.h"

#include <algorithm>

namespace {

/// The text before the first "/", leading "/" skipped; the whole path when there is none.
std::string firstComponent(std::string_view rel)
{
    const auto start = rel.find_first_not_of('/');
    if (start == std::string_view::npos)
        return std::string(rel);
    const auto rest = rel.substr(start);
    return std::string(rest.substr(0, rest.find('/')));
}

std::int64_t dateOf(std::string_view dateText, std::string_view rel, Dates::PathDates& paths)
{
    if (const auto exif = Dates::fromExif(dateText); exif && *exif != 0)
        return *exif;
    const auto path = paths.fromPath(rel);
    return path ? path->first : WallSchema::Default::date;
}

// manifest.js is written position by position, in the schema's order: a schema that moves a
// position stops the build here until the writer below follows it.
static_assert(WallSchema::key == 0 && WallSchema::rel == 1 && WallSchema::width == 2 && WallSchema::height == 3 &&
              WallSchema::date == 4 && WallSchema::first == 5 && WallSchema::mtime == 6 &&
              WallSchema::plainLength == 7 && WallSchema::media == 7 && WallSchema::duration == 8 &&
              WallSchema::codec == 9 && WallSchema::motion == 10);

} // namespace

namespace WallOutput {

// A video's, a live photo's or a preview's extra positions, as the record keeps them:
// [..., flags] for a preview, [..., flags, ms, codec] for a video, [..., ms, codec, clip] for
// a live photo. A plain photo's entry ends at mtime.
void appendMedia(std::string& text, const Record::Media& media)
{
    if (media.flags == 0)
        return;
    text += ',';
    Json::appendInt(text, media.flags);
    if (!(media.flags & (Record::isVideo | Record::isLive)))
        return;
    text += ',';
    Json::appendInt(text, media.durationMs);
    text += ',';
    Json::appendString(text, media.codec);
    if (!(media.flags & Record::isLive))
        return;
    text += ',';
    Json::appendString(text, media.motion);
}

std::string rootText(const WallTarget& job)
{
    std::string rootPath = job.root.string();
    while (rootPath.size() > 1 && rootPath.back() == '/')
        rootPath.pop_back();
    return rootPath;
}

std::filesystem::path templateOf(const WallTarget& job)
{
    return job.templateFile.empty() ? PageTemplate::find() : job.templateFile;
}

WallInputs stampInputs(const WallTarget& job, const WallState& state)
{
    // The engine's release, not the decoders': they decide the photos' records, not how a wall
    // is written from them, and a no-op update then never loads them.
    return {job.wall.cacheURL(), templateOf(job), Gazetteer::find(), BuildFingerprint::engine(),
            job.title, rootText(job), state.toDo};
}

Wall buildWall(const CacheMap& map)
{
    Wall wall;
    wall.entries.reserve(map.size());
    Dates::PathDates paths;
    for (const auto& [rel, record] : map) {
        WallEntry entry;
        entry.key = record.key;
        entry.rel = rel;
        entry.width = record.width;
        entry.height = record.height;
        entry.date = dateOf(record.date, rel, paths);
        entry.first = firstComponent(rel);
        entry.mtime = record.mtime;
        entry.media = record.media;
        entry.size = record.size;
        entry.details = record.details.value_or(Record::Details{});
        const bool video = entry.media.flags & Record::isVideo;
        if (video)
            ++wall.videos;
        if (entry.date == 0)
            ++(video ? wall.undatedVideos : wall.undated);
        wall.entries.push_back(std::move(entry));
    }
    // Dated before undated, newer first. Photos of the same moment (a burst, a folder dated by
    // its name) and the undated ones follow their paths, so a wall comes out the same on every run.
    // The order is worked out on indices, which are cheap to move, then applied once.
    std::vector<std::uint32_t> order(wall.entries.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto& e = wall.entries;
    std::sort(order.begin(), order.end(), [&e](std::uint32_t a, std::uint32_t b) {
        if ((e[a].date != 0) != (e[b].date != 0))
            return e[a].date != 0;
        if (e[a].date != e[b].date)
            return e[a].date > e[b].date;
        return e[a].rel < e[b].rel;
    });
    std::vector<WallEntry> sorted;
    sorted.reserve(order.size());
    for (const std::uint32_t i : order)
        sorted.push_back(std::move(wall.entries[i]));
    wall.entries = std::move(sorted);
    wall.rawPairs = RawPairs::count(wall.entries);
    return wall;
}

void namePlaces(std::vector<WallEntry>& entries, PlaceNames& places)
{
    for (WallEntry& entry : entries) {
        if (entry.details.geo)
            entry.place = places.placeAt(entry.details.geo->first, entry.details.geo->second);
    }
}

std::string manifestText(const WallTarget& job, const std::vector<WallEntry>& entries)
{
    std::string text;
    text.reserve(entries.size() * 110 + 256);
    text += "window.GALLERY_TITLE=";
    Json::appendString(text, job.title);
    text += ";\nwindow.GALLERY_ROOT=";
    Json::appendString(text, rootText(job));
    text += ";\nwindow.PHOTOS=";
    Json::appendArray(text, entries, [](std::string& out, const WallEntry& e) {
        out += '[';
        Json::appendString(out, e.key);
        out += ',';
        Json::appendString(out, e.rel);
        out += ',';
        Json::appendInt(out, e.width);
        out += ',';
        Json::appendInt(out, e.height);
        out += ',';
        Json::appendInt(out, e.date);
        out += ',';
        Json::appendString(out, e.first);
        out += ',';
        Json::appendInt(out, e.mtime);
        appendMedia(out, e.media);
        out += ']';
    });
    text += ";";
    return text;
}

std::string stateText(const WallState& state)
{
    // One global with a version, so that a later program can say more without breaking a page
    // that reads this one; manifest.js stays as other programs know it.
    std::string text = "window.KESTOVA_WALL_STATE={\"version\":1,\"finished\":";
    text += state.finished() ? "true" : "false";
    text += ",\"toDo\":";
    Json::appendInt(text, state.finished() ? 0 : state.toDo);
    text += "};\n";
    return text;
}

namespace {

/// The data of the wall on disk when every file of it (state.js, wall.js, manifest.js,
/// index.html and the pieces) holds what a write of `entries` would put there, taking the
/// generation it has: an update that changed nothing then writes nothing, and the page's cached
/// pieces stay valid. Nothing when anything differs or is missing.
std::optional<WallPieces::Data> standing(const WallTarget& job, const std::vector<WallEntry>& entries, const WallState& state,
                                         const std::string& root, const std::string& page)
{
    const auto same = [](const std::filesystem::path& file, std::string_view text) {
        const auto bytes = AtomicFile::read(file);
        return bytes && *bytes == text;
    };
    const auto index = AtomicFile::read(job.wall.wallIndexFile());
    const auto generation = index ? WallPieces::generationOf(*index) : std::nullopt;
    if (!generation)
        return std::nullopt;
    WallPieces::Data data = WallPieces::plan({job.title, root}, entries, *generation);
    if (data.index != *index || !same(job.wall.stateFile(), stateText(state)) || !same(job.wall.galleryFile(), page) ||
        !same(job.wall.manifestFile(), manifestText(job, entries)) || !WallPieces::onDisk(job.wall.out, data, entries))
        return std::nullopt;
    return data;
}

} // namespace

namespace {

std::vector<std::string> filesOf(const WallPieces::Data& data)
{
    std::vector<std::string> files;
    for (const std::string_view name : {WallFiles::page, WallFiles::manifest, WallFiles::state, WallFiles::wallIndex})
        files.emplace_back(name);
    for (const WallPieces::Piece& piece : data.pieces) {
        files.push_back(piece.file);
        files.push_back(piece.details);
    }
    return files;
}

} // namespace

std::vector<std::string> writeWall(const WallTarget& job, const std::vector<WallEntry>& entries, const WallState& state)
{
    const auto page = AtomicFile::read(templateOf(job));
    const std::string root = rootText(job);
    // Without a template the wall is written all the same, so that its data are current when
    // the failure is reported; only the page stays as it was.
    if (const auto data = page ? standing(job, entries, state, root, *page) : std::nullopt) {
        WallPieces::removeUnnamed(job.wall.out, *data);
        return filesOf(*data);
    }
    // Whatever ends the writing half way, the page must never call a wall finished that is not:
    // an unfinished state goes before the photos it speaks of, a finished one after them.
    const auto writeState = [&] {
        if (auto error = AtomicFile::write(job.wall.stateFile(), stateText(state)))
            throw *error;
    };
    if (!state.finished())
        writeState();
    // The index names only pieces that are whole on disk: the new generation's pieces go first
    // (made and written on threads of their own while manifest.js is made here), the index that
    // names them after manifest.js, and the older pieces, which the index on disk named until
    // then, are removed only at the end.
    const WallPieces::Data data = WallPieces::plan({job.title, root}, entries, WallPieces::newGeneration(job.wall.out));
    std::string manifest;
    {
        WallPieces::Writer pieces(job.wall.out, data, entries);
        manifest = manifestText(job, entries);
        pieces.finish();
    }
    if (auto error = AtomicFile::write(job.wall.manifestFile(), manifest))
        throw *error;
    if (auto error = AtomicFile::write(job.wall.wallIndexFile(), data.index))
        throw *error;
    if (state.finished())
        writeState();
    if (!page)
        throw JobError(JobErrorTexts::templateMissing, {});
    if (auto error = AtomicFile::write(job.wall.galleryFile(), *page))
        throw *error;
    WallPieces::removeUnnamed(job.wall.out, data);
    return filesOf(data);
}

} // namespace WallOutput
