// The towns photos were taken in, named offline from the gazetteer installed with the program
// (GeoNames' towns of 1000 people or more, made at build time by tools/gazetteer.mjs).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// A photo's place as a person names it: its town, the town's first-level division and its
/// country as ISO 3166 alpha-2. The town is empty when the photo was taken too far from one.
struct Place {
    std::string town;
    std::string region;
    std::string country;
    friend bool operator==(const Place&, const Place&) = default;
    friend auto operator<=>(const Place&, const Place&) = default;
};

class Gazetteer {
public:
    /// How far from the nearest town a photo is still said to be taken in it: beyond the edge of
    /// any city of the world measured from its point (GeoNames lists the quarters of large
    /// cities as towns of their own), and less than the way to the next town in most settled
    /// land, so that a photo on a mountain or a lake is not given a town it was not in.
    static constexpr double townKm = 30;
    /// How far the nearest town's region and country are still given: off a coast, in a desert
    /// or the mountains they are most likely right; farther out the photo is at sea or in land
    /// so empty that the next border may be nearer than the town.
    static constexpr double regionKm = 100;

    /// The gazetteer in `file`; nothing when it cannot be read or is not one.
    static std::optional<Gazetteer> load(const std::filesystem::path& file);
    /// The one installed with the running program: beside it in the build tree, else in its
    /// installation's share folder; the first place looked at when there is none.
    static std::filesystem::path find();

    /// The place of a photo taken at this latitude and longitude (degrees); nothing when it is
    /// farther than regionKm from every town.
    std::optional<Place> placeAt(double lat, double lon) const;

    std::size_t towns() const { return lat.size(); }

private:
    Gazetteer() = default;
    void index();

    std::vector<std::string> regions;
    // The towns in columns, sorted by the grid's cell: one degree of latitude by one of longitude.
    std::vector<std::int32_t> lat;  ///< degrees times 10^4
    std::vector<std::int32_t> lon;
    std::vector<std::int32_t> region; ///< into regions; -1 none
    std::vector<char> country;        ///< two letters a town
    std::vector<std::uint32_t> nameEnd; ///< the end of each town's name in names
    std::string names;
    std::vector<std::uint32_t> cellStart; ///< the first town of each cell, and the end
};

/// The gazetteer of one run, read the first time a photo with coordinates asks for it, and at
/// most once; without one (not installed, unreadable) every photo is of no known place.
class PlaceNames {
public:
    explicit PlaceNames(std::filesystem::path file = Gazetteer::find()) : file(std::move(file)) {}
    std::optional<Place> placeAt(double lat, double lon);
    /// Whether the gazetteer was read (for the measurements of bench/ and the tests).
    bool loaded() const { return tried && gazetteer.has_value(); }

private:
    std::filesystem::path file;
    bool tried = false;
    std::optional<Gazetteer> gazetteer;
};
