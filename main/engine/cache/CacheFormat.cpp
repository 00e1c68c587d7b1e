// Reading and writing the progress cache's JSON.
//
// Written by hand rather than through a JSON library: names that are not UTF-8 travel as lone
// surrogate escapes (see Json.h), which strict libraries refuse, and a wall of a million photos
// needs a reader that builds the map directly without a document tree in between.
#include "engine/cache/CacheFormat.h"

#include "engine/base/Json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <variant>
#include <vector>

namespace CacheFormat {
namespace {

/// A record's positions in the file's arrays.
enum Position : std::size_t {
    key = 0, width = 1, height = 2, date = 3, mtime = 4, size = 5,
    media = 6,    ///< MediaFlags; absent for a plain photo
    duration = 7, ///< a video's or a live photo's motion length in milliseconds; 0 unknown
    codec = 8,    ///< the video's codec as FFmpeg names it ("h264", "hevc", "vp9")
    motion = 9,   ///< a live photo's clip: its path relative to the source, or with clipInWall to the wall
    ctime = 10,   ///< the file's status change time in nanoseconds, as the walk saw it
    inode = 11,   ///< the file's inode number, as the walk saw it
    details = 12, ///< Details as text; "" when the metadata said nothing of them
    count = 13,
};

/// A JSON value as a record's position may hold it: an integer, a string, or anything else.
using Value = std::variant<std::monostate, std::int64_t, std::string>;

/// A record as its positions are read: each known position in its place.
struct Positions {
    std::array<Value, Position::count> values;
    std::size_t length = 0;

    const std::int64_t* intAt(std::size_t i) const { return i < length ? std::get_if<std::int64_t>(&values[i]) : nullptr; }
    std::string* textAt(std::size_t i) { return i < length ? std::get_if<std::string>(&values[i]) : nullptr; }
    std::int64_t intOrZero(std::size_t i) const
    {
        const auto* v = intAt(i);
        return v ? *v : 0;
    }
    std::string takeText(std::size_t i)
    {
        auto* v = textAt(i);
        return v ? std::move(*v) : std::string();
    }

    /// The record these positions make; nothing unless the six a photo always has are there,
    /// each of its kind. A position of the wrong kind beyond them reads as unknown.
    std::optional<CacheRecord> record()
    {
        if (!textAt(key) || !intAt(width) || !intAt(height) || !textAt(date) || !intAt(mtime) || !intAt(size))
            return std::nullopt;
        CacheRecord r;
        r.key = takeText(key);
        r.width = intOrZero(width);
        r.height = intOrZero(height);
        r.date = takeText(date);
        r.mtime = intOrZero(mtime);
        r.size = intOrZero(size);
        r.media = {intOrZero(media), intOrZero(duration), takeText(codec), takeText(motion)};
        if (intAt(ctime) && intAt(inode))
            r.stamp = Record::FileStamp{intOrZero(ctime), intOrZero(inode)};
        if (const std::string* text = textAt(details))
            r.details = Record::detailsFromText(*text);
        return r;
    }
};

class Parser {
public:
    explicit Parser(std::string_view text) : text(text) {}

    /// One record's array, alone.
    std::optional<CacheRecord> recordOnly()
    {
        Positions positions;
        skipSpace();
        if (!array(&positions))
            return std::nullopt;
        skipSpace();
        return pos == text.size() ? positions.record() : std::nullopt;
    }

    std::optional<CacheMap> document(CacheInOrder* inOrder)
    {
        CacheMap map;
        map.reserve(text.size() / 64); // a record takes about 80 bytes of text
        skipSpace();
        if (!take('{'))
            return std::nullopt;
        skipSpace();
        if (!take('}')) {
            std::string name;
            do {
                skipSpace();
                if (!Json::readString(text, pos, name))
                    return std::nullopt;
                skipSpace();
                if (!take(':'))
                    return std::nullopt;
                skipSpace();
                Positions positions;
                if (!array(&positions))
                    return std::nullopt; // one member that is not an array spoils the whole file
                // A record damaged past reading is as none: its photo is made again.
                if (auto record = positions.record()) {
                    const auto [item, added] = map.insert_or_assign(std::move(name), std::move(*record));
                    if (inOrder && order && added && (inOrder->empty() || inOrder->back()->first < item->first))
                        inOrder->push_back(&*item);
                    else if (inOrder)
                        order = false;
                }
                skipSpace();
            } while (take(','));
            if (!take('}'))
                return std::nullopt;
        }
        skipSpace();
        if (pos != text.size())
            return std::nullopt;
        if (inOrder && !order)
            inOrder->clear();
        return map;
    }

private:
    static constexpr int maxDepth = 512;

    bool take(char c)
    {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }

    void skipSpace()
    {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\n' || text[pos] == '\r' || text[pos] == '\t'))
            ++pos;
    }

    /// An array at pos; its elements go into `positions` when given, as far as they are known.
    bool array(Positions* positions, int depth = 0)
    {
        if (!take('['))
            return false;
        skipSpace();
        if (take(']'))
            return true;
        std::size_t index = 0;
        do {
            skipSpace();
            Value* value = positions && index < Position::count ? &positions->values[index] : nullptr;
            if (positions && value)
                positions->length = index + 1;
            ++index;
            if (!this->value(value, depth + 1))
                return false;
            skipSpace();
        } while (take(','));
        return take(']');
    }

    bool object(int depth)
    {
        if (!take('{'))
            return false;
        skipSpace();
        if (take('}'))
            return true;
        std::string name;
        do {
            skipSpace();
            if (!Json::readString(text, pos, name))
                return false;
            skipSpace();
            if (!take(':'))
                return false;
            skipSpace();
            if (!value(nullptr, depth + 1))
                return false;
            skipSpace();
        } while (take(','));
        return take('}');
    }

    bool literal(std::string_view word)
    {
        if (text.substr(pos, word.size()) != word)
            return false;
        pos += word.size();
        return true;
    }

    bool number(Value* out)
    {
        const std::size_t start = pos;
        take('-');
        if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
            return false;
        if (text[pos] == '0')
            ++pos;
        else
            while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
                ++pos;
        bool integral = true;
        if (take('.')) {
            integral = false;
            if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
                return false;
            while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
                ++pos;
        }
        if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
            integral = false;
            ++pos;
            if (!take('+'))
                take('-');
            if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
                return false;
            while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
                ++pos;
        }
        if (out && integral) {
            std::int64_t value = 0;
            const auto result = std::from_chars(text.data() + start, text.data() + pos, value);
            if (result.ec == std::errc() && result.ptr == text.data() + pos)
                *out = value; // out of range stays null
        }
        return true;
    }

    bool value(Value* out, int depth)
    {
        if (depth > maxDepth || pos >= text.size())
            return false;
        switch (text[pos]) {
        case '"': {
            std::string s;
            if (!Json::readString(text, pos, s))
                return false;
            if (out)
                *out = std::move(s);
            return true;
        }
        case '[': return array(nullptr, depth);
        case '{': return object(depth);
        case 't': return literal("true");
        case 'f': return literal("false");
        case 'n': return literal("null");
        default: return number(out);
        }
    }

    std::string_view text;
    std::size_t pos = 0;
    bool order = true; ///< the records read so far came in the order of their paths
};

/// The record's array: the positions its values need, those between filled as a plain photo's
/// are (a missing stamp as nulls).
void appendRecord(std::string& out, const CacheRecord& r)
{
    out += '[';
    Json::appendString(out, r.key);
    out += ',';
    Json::appendInt(out, r.width);
    out += ',';
    Json::appendInt(out, r.height);
    out += ',';
    Json::appendString(out, r.date);
    out += ',';
    Json::appendInt(out, r.mtime);
    out += ',';
    Json::appendInt(out, r.size);
    std::size_t end = Position::media;
    if (r.media.flags)
        end = Position::duration;
    if (r.media.flags & (Record::isVideo | Record::isLive))
        end = Position::motion;
    if (r.media.flags & Record::isLive)
        end = Position::ctime;
    if (r.stamp)
        end = Position::details;
    if (r.details)
        end = Position::count;
    for (std::size_t i = Position::media; i < end; ++i) {
        out += ',';
        switch (i) {
        case Position::media: Json::appendInt(out, r.media.flags); break;
        case Position::duration: Json::appendInt(out, r.media.durationMs); break;
        case Position::codec: Json::appendString(out, r.media.codec); break;
        case Position::motion: Json::appendString(out, r.media.motion); break;
        case Position::ctime:
        case Position::inode:
            // A record with details but no stamp keeps the stamp's places empty.
            if (r.stamp)
                Json::appendInt(out, i == Position::ctime ? r.stamp->ctimeNs : r.stamp->inode);
            else
                out += "null";
            break;
        default: Json::appendString(out, Record::detailsText(*r.details)); break;
        }
    }
    out += ']';
}

} // namespace

std::optional<CacheMap> parse(std::string_view text, CacheInOrder* inOrder)
{
    if (inOrder)
        inOrder->clear();
    auto map = Parser(text).document(inOrder);
    if (!map && inOrder)
        inOrder->clear(); // of a map that is gone
    return map;
}

std::string serialize(const CacheMap& map)
{
    std::string out;
    out.reserve(map.size() * 96 + 2);
    // In the order of their paths, which is the walk's after duplicates: a run reads the records
    // back into memory in that order, and then finds each photo's record beside the last one's
    // rather than anywhere in a large wall's memory.
    std::vector<const CacheMap::value_type*> sorted;
    sorted.reserve(map.size());
    for (const auto& item : map)
        sorted.push_back(&item);
    std::sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) { return a->first < b->first; });
    out += '{';
    bool first = true;
    for (const auto* item : sorted) {
        if (!first)
            out += ',';
        first = false;
        Json::appendString(out, item->first);
        out += ':';
        appendRecord(out, item->second);
    }
    out += '}';
    return out;
}

std::string recordText(const CacheRecord& record)
{
    std::string out;
    appendRecord(out, record);
    return out;
}

std::optional<CacheRecord> parseRecord(std::string_view text)
{
    return Parser(text).recordOnly();
}

} // namespace CacheFormat
