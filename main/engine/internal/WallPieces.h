// The wall's data as the page loads it: the index wall.js and its pieces, data/GENERATION-N.js
// (docs/wall-format.md). manifest.js holds the same entries in one script for other programs.
#pragma once

#include "engine/internal/WallOutput.h"
#include "engine/WallSchema.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace WallPieces {

/// One piece of the wall's data, as written.
struct Piece {
    std::string file;        ///< its name in the wall's folder: "data/GENERATION-N.js"
    std::int64_t photos = 0; ///< how many entries it holds
    std::int64_t newest = 0; ///< the date of its first entry; 0 = undated
    std::int64_t oldest = 0; ///< the date of its last entry
    std::string text;        ///< the whole script
};

/// One generation of the wall's data: its pieces and the index that names them.
struct Data {
    std::string generation;
    std::vector<Piece> pieces;
    std::string index; ///< the whole text of wall.js
};

/// What the index says of the wall besides its entries, as manifest.js says it.
struct Heading {
    std::string_view title;
    std::string_view root; ///< GALLERY_ROOT's text
};

/// The data of `entries`, in the wall's order, as the generation `generation` in pieces of at
/// most `perPiece` entries (a wall without entries has none).
Data make(const Heading& heading, const std::vector<WallEntry>& entries, std::string_view generation,
          std::size_t perPiece = WallSchema::Data::piecePhotos);

/// A generation for the next write of the wall in `wall`: the clock's nanoseconds in 16
/// lower-case hexadecimal digits, counted on past every generation a piece in its data folder
/// bears, so that no piece an index still names is ever written over.
std::string newGeneration(const std::filesystem::path& wall);

/// Writes every piece whole into the data folder of the wall in `wall`, making the folder when
/// it is missing. A link or anything but a folder in its place is refused; throws JobError.
void writePieces(const std::filesystem::path& wall, const Data& data);

/// Removes the regular files of the data folder that `data` does not name: the pieces of older
/// generations and whatever else was left there, but for a piece's temporary file whose writer
/// still runs. Nothing outside the folder is touched, nor anything reached through a link; a
/// file that cannot be removed is left for the next run.
void removeUnnamed(const std::filesystem::path& wall, const Data& data);

} // namespace WallPieces
