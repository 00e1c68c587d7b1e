// Reading the gazetteer and finding a photo's nearest town in it.
#include "engine/wall/Gazetteer.h"

#include "engine/base/AtomicFile.h"
#include "engine/base/BesideProgram.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int latCells = 180;
constexpr int lonCells = 360;
constexpr double earthKm = 6371.0088;
constexpr double pi = 3.14159265358979323846;

int latCell(double lat) { return std::clamp(int(std::floor(lat + 90)), 0, latCells - 1); }
int lonCell(double lon) { return std::clamp(int(std::floor(lon + 180)), 0, lonCells - 1); }

/// The great-circle distance in kilometres.
double distanceKm(double lat1, double lon1, double lat2, double lon2)
{
    const double toRad = pi / 180;
    const double dLat = (lat2 - lat1) * toRad;
    const double dLon = (lon2 - lon1) * toRad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lat1 * toRad) * std::cos(lat2 * toRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * earthKm * std::asin(std::min(1.0, std::sqrt(a)));
}

/// Reads the file's lines one by one.
class Lines {
public:
    explicit Lines(std::string_view text) : text(text) {}
    std::optional<std::string_view> next()
    {
        if (pos >= text.size())
            return std::nullopt;
        const auto end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        return line;
    }

private:
    std::string_view text;
    std::size_t pos = 0;
};

template <class Number>
bool parse(std::string_view text, Number& out)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

/// A section's count from its line "R 3775".
std::optional<std::size_t> countLine(std::optional<std::string_view> line, char letter)
{
    std::size_t count = 0;
    if (!line || line->size() < 3 || (*line)[0] != letter || (*line)[1] != ' ' || !parse(line->substr(2), count))
        return std::nullopt;
    return count;
}

} // namespace

std::optional<Gazetteer> Gazetteer::load(const fs::path& file)
{
    const auto text = AtomicFile::read(file);
    if (!text)
        return std::nullopt;
    Lines lines(*text);
    if (lines.next() != std::string_view("kestova-gazetteer 1"))
        return std::nullopt;
    Gazetteer g;
    const auto regionCount = countLine(lines.next(), 'R');
    if (!regionCount)
        return std::nullopt;
    g.regions.reserve(*regionCount);
    for (std::size_t i = 0; i < *regionCount; ++i) {
        const auto line = lines.next();
        if (!line)
            return std::nullopt;
        g.regions.emplace_back(*line);
    }
    const auto townCount = countLine(lines.next(), 'T');
    if (!townCount)
        return std::nullopt;
    g.lat.reserve(*townCount);
    g.lon.reserve(*townCount);
    g.region.reserve(*townCount);
    g.country.reserve(*townCount * 2);
    g.nameEnd.reserve(*townCount);
    g.names.reserve(*townCount * 10);
    for (std::size_t i = 0; i < *townCount; ++i) {
        const auto line = lines.next();
        if (!line)
            return std::nullopt;
        std::string_view fields[5];
        std::string_view rest = *line;
        for (int f = 0; f < 4; ++f) {
            const auto tab = rest.find('\t');
            if (tab == std::string_view::npos)
                return std::nullopt;
            fields[f] = rest.substr(0, tab);
            rest.remove_prefix(tab + 1);
        }
        fields[4] = rest;
        std::int32_t la = 0;
        std::int32_t lo = 0;
        std::int32_t r = -1;
        if (!parse(fields[0], la) || !parse(fields[1], lo) || std::abs(la) > 900000 || std::abs(lo) > 1800000 ||
            fields[2].size() != 2 || (!fields[3].empty() && (!parse(fields[3], r) || r < 0 || std::size_t(r) >= g.regions.size())))
            return std::nullopt;
        g.lat.push_back(la);
        g.lon.push_back(lo);
        g.region.push_back(r);
        g.country.push_back(fields[2][0]);
        g.country.push_back(fields[2][1]);
        g.names += fields[4];
        g.nameEnd.push_back(static_cast<std::uint32_t>(g.names.size()));
    }
    g.index();
    return g;
}

void Gazetteer::index()
{
    // Counting sort of the towns by cell, applied to every column.
    const std::size_t n = lat.size();
    std::vector<std::uint32_t> cellOf(n);
    cellStart.assign(std::size_t(latCells) * lonCells + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        cellOf[i] = static_cast<std::uint32_t>(latCell(lat[i] / 1e4) * lonCells + lonCell(lon[i] / 1e4));
        ++cellStart[cellOf[i] + 1];
    }
    std::partial_sum(cellStart.begin(), cellStart.end(), cellStart.begin());
    std::vector<std::uint32_t> placeOf(n);
    std::vector<std::uint32_t> filled(cellStart.begin(), cellStart.end() - 1);
    for (std::size_t i = 0; i < n; ++i)
        placeOf[i] = filled[cellOf[i]]++;
    std::vector<std::int32_t> sortedLat(n), sortedLon(n), sortedRegion(n);
    std::vector<char> sortedCountry(n * 2);
    std::vector<std::uint32_t> sortedEnd(n);
    std::string sortedNames;
    sortedNames.reserve(names.size());
    std::vector<std::uint32_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[placeOf[i]] = static_cast<std::uint32_t>(i);
    for (std::size_t p = 0; p < n; ++p) {
        const std::uint32_t i = order[p];
        sortedLat[p] = lat[i];
        sortedLon[p] = lon[i];
        sortedRegion[p] = region[i];
        sortedCountry[2 * p] = country[2 * i];
        sortedCountry[2 * p + 1] = country[2 * i + 1];
        const std::uint32_t start = i ? nameEnd[i - 1] : 0;
        sortedNames.append(names, start, nameEnd[i] - start);
        sortedEnd[p] = static_cast<std::uint32_t>(sortedNames.size());
    }
    lat = std::move(sortedLat);
    lon = std::move(sortedLon);
    region = std::move(sortedRegion);
    country = std::move(sortedCountry);
    nameEnd = std::move(sortedEnd);
    names = std::move(sortedNames);
}

fs::path Gazetteer::find()
{
    const std::vector<fs::path> candidates = BesideProgram::places("gazetteer.tsv", KESTOVA_DATA_FROM_BIN);
    if (candidates.empty())
        return {};
    std::error_code ec;
    for (const auto& candidate : candidates) {
        if (fs::is_regular_file(candidate, ec))
            return candidate.lexically_normal();
    }
    return candidates.front();
}

std::optional<Place> Gazetteer::placeAt(double la, double lo) const
{
    if (!std::isfinite(la) || !std::isfinite(lo) || std::abs(la) > 90 || std::abs(lo) > 180 || lat.empty())
        return std::nullopt;
    // The cells within regionKm: a degree of latitude is 111 km everywhere, one of longitude
    // shrinks towards the poles, where every cell of the row is looked at.
    const double latSpan = regionKm / 111.0;
    const double cosLat = std::cos(std::min(89.0, std::abs(la) + latSpan) * pi / 180);
    const double lonSpan = regionKm / (111.32 * std::max(cosLat, 1e-6));
    const int firstRow = latCell(la - latSpan);
    const int lastRow = latCell(la + latSpan);
    const bool wholeRow = lonSpan >= 180;
    const int firstColumn = int(std::floor(lo - lonSpan + 180));
    const int lastColumn = int(std::floor(lo + lonSpan + 180));
    double best = regionKm;
    std::optional<std::size_t> nearest;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = wholeRow ? 0 : firstColumn; column <= (wholeRow ? lonCells - 1 : lastColumn); ++column) {
            // Columns past the date line wrap around.
            const int wrapped = ((column % lonCells) + lonCells) % lonCells;
            const std::size_t cell = std::size_t(row) * lonCells + std::size_t(wrapped);
            for (std::uint32_t i = cellStart[cell]; i < cellStart[cell + 1]; ++i) {
                // A town farther north or south than the best so far is farther away: no
                // trigonometry for most of a dense cell's towns.
                if (std::abs(lat[i] / 1e4 - la) * 111.19 > best)
                    continue;
                const double d = distanceKm(la, lo, lat[i] / 1e4, lon[i] / 1e4);
                if (d <= best) {
                    best = d;
                    nearest = i;
                }
            }
            if (wholeRow && column == lonCells - 1)
                break;
        }
    }
    if (!nearest)
        return std::nullopt;
    const std::size_t i = *nearest;
    Place place;
    if (best <= townKm) {
        const std::uint32_t start = i ? nameEnd[i - 1] : 0;
        place.town = names.substr(start, nameEnd[i] - start);
    }
    if (region[i] >= 0)
        place.region = regions[std::size_t(region[i])];
    place.country.assign(&country[2 * i], 2);
    return place;
}

std::optional<Place> PlaceNames::placeAt(double lat, double lon)
{
    if (!tried) {
        tried = true;
        gazetteer = Gazetteer::load(file);
    }
    return gazetteer ? gazetteer->placeAt(lat, lon) : std::nullopt;
}
