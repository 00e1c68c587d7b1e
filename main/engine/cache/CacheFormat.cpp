// Reading and writing the progress cache's JSON.
//
// Written by hand rather than through a JSON library: names that are not UTF-8 travel as lone
// surrogate escapes (see Json.h), which strict libraries refuse, and a wall of a million photos
// needs a reader that builds the map directly without a document tree in between.
#include "engine/cache/CacheFormat.h"

#include "engine/base/Json.h"

#include <charconv>

namespace CacheFormat {
namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : text(text) {}

    std::optional<CacheMap> document()
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
                CacheRecord record;
                if (!array(&record))
                    return std::nullopt; // one member that is not an array spoils the whole file
                map.insert_or_assign(std::move(name), std::move(record));
                skipSpace();
            } while (take(','));
            if (!take('}'))
                return std::nullopt;
        }
        skipSpace();
        if (pos != text.size())
            return std::nullopt;
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

    /// An array at pos; its elements go into record when one is given.
    bool array(CacheRecord* record, int depth = 0)
    {
        if (!take('['))
            return false;
        skipSpace();
        if (take(']'))
            return true;
        if (record)
            record->reserve(6);
        do {
            skipSpace();
            RecordValue* value = record ? &record->emplace_back() : nullptr;
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

    bool number(RecordValue* out)
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

    bool value(RecordValue* out, int depth)
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
};

} // namespace

std::optional<CacheMap> parse(std::string_view text)
{
    return Parser(text).document();
}

std::string serialize(const CacheMap& map)
{
    std::string out;
    out.reserve(map.size() * 96 + 2);
    out += '{';
    bool first = true;
    for (const auto& [rel, record] : map) {
        if (!first)
            out += ',';
        first = false;
        Json::appendString(out, rel);
        out += ":[";
        for (std::size_t i = 0; i < record.size(); ++i) {
            if (i)
                out += ',';
            if (const auto* n = std::get_if<std::int64_t>(&record[i]))
                Json::appendInt(out, *n);
            else if (const auto* s = std::get_if<std::string>(&record[i]))
                Json::appendString(out, *s);
            else
                out += "null";
        }
        out += ']';
    }
    out += '}';
    return out;
}

} // namespace CacheFormat
