// The wall's data in pieces read back as a reader of the format would (docs/wall-format.md):
// the index wall.js, and each piece's entries rebuilt as the entries of manifest.js.
#pragma once

#include "engine/wall/WallOutput.h"
#include "engine/base/Json.h"
#include "engine/wall/WallSchema.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace WallData {

/// A JSON value of the kinds the wall's data uses (integers only as numbers).
struct Value {
    enum class Kind { null, boolean, number, text, list, object } kind = Kind::null;
    std::int64_t number = 0;
    std::string text;
    std::vector<Value> items;
    std::vector<std::pair<std::string, Value>> members;

    /// The member `name` of an object; a null value when there is none.
    const Value& operator[](std::string_view name) const
    {
        static const Value none;
        for (const auto& [key, value] : members) {
            if (key == name)
                return value;
        }
        return none;
    }
    const Value& operator[](std::size_t i) const { return items.at(i); }
    std::size_t size() const { return kind == Kind::object ? members.size() : items.size(); }
};

namespace detail {

inline void skipSpace(std::string_view text, std::size_t& pos)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\n' || text[pos] == '\r' || text[pos] == '\t'))
        ++pos;
}

inline std::optional<Value> parseAt(std::string_view text, std::size_t& pos, int depth = 0)
{
    skipSpace(text, pos);
    if (pos >= text.size() || depth > 64)
        return std::nullopt;
    Value value;
    const char c = text[pos];
    if (c == '"') {
        value.kind = Value::Kind::text;
        if (!Json::readString(text, pos, value.text))
            return std::nullopt;
        return value;
    }
    if (c == '[' || c == '{') {
        const bool object = c == '{';
        value.kind = object ? Value::Kind::object : Value::Kind::list;
        ++pos;
        skipSpace(text, pos);
        if (pos < text.size() && text[pos] == (object ? '}' : ']')) {
            ++pos;
            return value;
        }
        while (true) {
            std::string key;
            if (object) {
                skipSpace(text, pos);
                if (pos >= text.size() || text[pos] != '"' || !Json::readString(text, pos, key))
                    return std::nullopt;
                skipSpace(text, pos);
                if (pos >= text.size() || text[pos++] != ':')
                    return std::nullopt;
            }
            auto item = parseAt(text, pos, depth + 1);
            if (!item)
                return std::nullopt;
            if (object)
                value.members.emplace_back(std::move(key), std::move(*item));
            else
                value.items.push_back(std::move(*item));
            skipSpace(text, pos);
            if (pos >= text.size())
                return std::nullopt;
            const char next = text[pos++];
            if (next == (object ? '}' : ']'))
                return value;
            if (next != ',')
                return std::nullopt;
        }
    }
    for (const auto& [word, kind, truth] : {std::tuple{"true", Value::Kind::boolean, 1}, std::tuple{"false", Value::Kind::boolean, 0},
                                            std::tuple{"null", Value::Kind::null, 0}}) {
        if (text.substr(pos).starts_with(word)) {
            pos += std::string_view(word).size();
            value.kind = kind;
            value.number = truth;
            return value;
        }
    }
    const auto [end, error] = std::from_chars(text.data() + pos, text.data() + text.size(), value.number);
    if (error != std::errc())
        return std::nullopt;
    pos = static_cast<std::size_t>(end - text.data());
    value.kind = Value::Kind::number;
    return value;
}

} // namespace detail

/// The value of a whole JSON text; nothing when it is not one.
inline std::optional<Value> parse(std::string_view text)
{
    std::size_t pos = 0;
    auto value = detail::parseAt(text, pos);
    detail::skipSpace(text, pos);
    if (!value || pos != text.size())
        return std::nullopt;
    return value;
}

/// wall.js's object; nothing when the text is not `window.KESTOVA_WALL=` + JSON + `;`.
inline std::optional<Value> index(std::string_view script)
{
    constexpr std::string_view start = "window.KESTOVA_WALL=";
    if (!script.starts_with(start) || !script.ends_with(";"))
        return std::nullopt;
    return parse(script.substr(start.size(), script.size() - start.size() - 1));
}

/// A piece's object: the text between `kestovaPiece('` and `');`, its two escapes undone.
inline std::optional<Value> piece(std::string_view script)
{
    constexpr std::string_view start = "kestovaPiece('";
    constexpr std::string_view end = "');";
    if (!script.starts_with(start) || !script.ends_with(end))
        return std::nullopt;
    const std::string_view quoted = script.substr(start.size(), script.size() - start.size() - end.size());
    std::string json;
    for (std::size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] == '\\') {
            if (i + 1 == quoted.size() || (quoted[i + 1] != '\\' && quoted[i + 1] != '\''))
                return std::nullopt;
            json += quoted[++i];
        } else if (quoted[i] == '\'' || quoted[i] == '\n') {
            return std::nullopt; // would end the string early
        } else {
            json += quoted[i];
        }
    }
    return parse(json);
}

/// The first folder of rel as manifest.js names it: the text before the first "/", leading
/// ones skipped; the whole rel when there is none.
inline std::string firstOf(std::string_view rel)
{
    const auto start = rel.find_first_not_of('/');
    if (start == std::string_view::npos)
        return std::string(rel);
    const auto rest = rel.substr(start);
    return std::string(rest.substr(0, rest.find('/')));
}

/// A piece's entries as manifest.js lists them; nothing when a column is short or a value of
/// the wrong kind.
inline std::optional<std::vector<WallEntry>> entriesOf(const Value& piece)
{
    const Value& keys = piece["key"];
    const std::size_t count = keys.size();
    for (const std::string_view column : WallSchema::Data::columns) {
        if (piece[column].kind != Value::Kind::list || piece[column].size() != count)
            return std::nullopt;
    }
    const Value& dirs = piece["dirs"];
    std::vector<WallEntry> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        WallEntry& e = entries[i];
        const auto dir = static_cast<std::size_t>(piece["dir"][i].number);
        if (dir >= dirs.size())
            return std::nullopt;
        e.key = keys[i].text;
        e.rel = dirs[dir].text + piece["name"][i].text;
        e.width = piece["width"][i].number;
        e.height = piece["height"][i].number;
        e.date = piece["date"][i].number;
        e.first = firstOf(e.rel);
        e.mtime = piece["mtime"][i].number;
    }
    for (const Value& media : piece["media"].items) {
        const auto at = static_cast<std::size_t>(media[0].number);
        if (at >= count || media.size() < 2)
            return std::nullopt;
        Record::Media& m = entries[at].media;
        m.flags = media[1].number;
        if (media.size() > 2)
            m.durationMs = media[2].number;
        if (media.size() > 3)
            m.codec = media[3].text;
        if (media.size() > 4)
            m.motion = media[4].text;
    }
    return entries;
}

// The wall's data folder as a test checks it.

/// The files of the wall's data folder, by name.
inline std::set<std::string> dataFiles(const std::filesystem::path& out)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(out / "data", ec))
        names.insert(e.path().filename().string());
    return names;
}

/// The pieces and their details the wall's index names, each of which must exist, by name in data/.
inline std::set<std::string> namedPieces(const std::filesystem::path& out)
{
    const auto index = WallData::index(readFile(out / "wall.js"));
    if (!index) {
        ADD_FAILURE() << "no index in " << out;
        return {};
    }
    std::set<std::string> names;
    for (const auto& piece : (*index)["pieces"].items) {
        const std::string file = piece["file"].text;
        EXPECT_TRUE(WallData::piece(readFile(out / file))) << file << " is not a whole piece";
        names.insert(std::filesystem::path(file).filename().string());
        const std::string details = piece["details"].text;
        EXPECT_TRUE(std::filesystem::is_regular_file(out / details)) << details << " is missing";
        names.insert(std::filesystem::path(details).filename().string());
    }
    return names;
}

inline std::string generationOf(const std::filesystem::path& out)
{
    const auto index = WallData::index(readFile(out / "wall.js"));
    return index ? (*index)["generation"].text : "";
}

} // namespace WallData
