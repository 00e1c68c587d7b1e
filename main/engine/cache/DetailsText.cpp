// The details of a record as the cache keeps them: one tab-separated text.
#include "engine/cache/CacheRecord.h"

#include "engine/base/Json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

namespace Record {

namespace DetailsText {
namespace {
/// A number as its field keeps it: nothing when 0 or not finite, both unknown.
void appendNumber(std::string& out, double value)
{
    if (value != 0 && std::isfinite(value))
        Json::appendNumber(out, value);
}
double number(std::string_view text)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value) ? value : 0;
}
/// A name as the text keeps it: tabs and line breaks would split its fields.
void appendName(std::string& out, std::string_view name)
{
    for (const char c : name)
        out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
}
} // namespace
} // namespace DetailsText

std::string detailsText(const Details& d)
{
    std::string text;
    DetailsText::appendName(text, d.camera);
    text += '\t';
    DetailsText::appendName(text, d.lens);
    text += '\t';
    DetailsText::appendNumber(text, d.exposure);
    text += '\t';
    DetailsText::appendNumber(text, d.fNumber);
    text += '\t';
    DetailsText::appendNumber(text, double(d.iso));
    text += '\t';
    DetailsText::appendNumber(text, d.focal);
    text += '\t';
    DetailsText::appendNumber(text, double(d.focal35));
    text += '\t';
    if (d.geo) {
        // 0 is a valid latitude or longitude on its own; written as "0" here, read back as such.
        const auto coordinate = [&text](double v) {
            if (v == 0)
                text += '0';
            else
                DetailsText::appendNumber(text, v);
        };
        coordinate(d.geo->first);
        text += '\t';
        coordinate(d.geo->second);
    } else {
        text += '\t';
    }
    if (text.find_first_not_of('\t') == std::string::npos)
        text.clear();
    return text;
}

Details detailsFromText(std::string_view text)
{
    // Read once per photo of the wall on every run, so split in place: the fields are views of
    // the text, and fields past the ninth are not ours.
    std::array<std::string_view, 9> fields{};
    for (std::size_t n = 0; n < fields.size() && !text.empty(); ++n) {
        const auto tab = text.find('\t');
        fields[n] = text.substr(0, tab);
        if (tab == std::string_view::npos)
            break;
        text.remove_prefix(tab + 1);
    }
    Details d;
    d.camera = std::string(fields[0]);
    d.lens = std::string(fields[1]);
    d.exposure = DetailsText::number(fields[2]);
    d.fNumber = DetailsText::number(fields[3]);
    d.iso = std::int64_t(DetailsText::number(fields[4]));
    d.focal = DetailsText::number(fields[5]);
    d.focal35 = std::int64_t(DetailsText::number(fields[6]));
    if (!fields[7].empty() && !fields[8].empty()) {
        const double lat = DetailsText::number(fields[7]);
        const double lon = DetailsText::number(fields[8]);
        if (std::abs(lat) <= 90 && std::abs(lon) <= 180 && (lat != 0 || lon != 0))
            d.geo = std::pair{lat, lon};
    }
    return d;
}

} // namespace Record
