// The wall's data as the page loads it: the index wall.js and its pieces, data/GENERATION-N.js,
// each with its details beside it, data/GENERATION-N-details.js (docs/wall-format.md).
// manifest.js holds the same entries, without details, in one script for other programs.
#pragma once

#include "engine/wall/WallOutput.h"
#include "engine/wall/WallSchema.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace WallPieces {

/// One piece of the wall's data: which entries it holds and what the index says of it.
struct Piece {
    std::string file;        ///< its name in the wall's folder: "data/GENERATION-N.js"
    std::string details;     ///< its details' name: "data/GENERATION-N-details.js"
    std::size_t start = 0;   ///< its first entry's place among the wall's entries
    std::int64_t photos = 0; ///< how many entries it holds
    std::int64_t newest = 0; ///< the date of its first entry; 0 = undated
    std::int64_t oldest = 0; ///< the date of its last entry
};

/// One generation of the wall's data: its pieces and the whole text of the index naming them.
struct Data {
    std::string generation;
    std::vector<Piece> pieces;
    std::string index;
};

/// What the index says of the wall besides its entries, as manifest.js says it.
struct Heading {
    std::string_view title;
    std::string_view root; ///< GALLERY_ROOT's text
};

/// The data of `entries`, in the wall's order, as the generation `generation` in pieces of at
/// most `perPiece` entries (a wall without entries has none). Cheap: the pieces' texts are made
/// by pieceText.
Data plan(const Heading& heading, const std::vector<WallEntry>& entries, std::string_view generation,
          std::size_t perPiece = WallSchema::Data::piecePhotos);

/// The whole script of the piece `number` of `data`, of the entries `plan` was given.
std::string pieceText(const Data& data, std::size_t number, const std::vector<WallEntry>& entries);

/// The whole script of the details of piece `number`: camera, lens, place, file size, exposure
/// and coordinates of each of its entries.
std::string detailsText(const Data& data, std::size_t number, const std::vector<WallEntry>& entries);

/// A generation for the next write of the wall in `wall`: the clock's nanoseconds in 16
/// lower-case hexadecimal digits, counted on past every generation a piece in its data folder
/// bears, so that no piece an index still names is ever written over.
std::string newGeneration(const std::filesystem::path& wall);

/// The generation the index `indexText` (a wall.js as written) names; nothing when it names none.
std::optional<std::string> generationOf(std::string_view indexText);

/// Whether every piece of `data` and its details lie in the data folder of the wall in `wall`
/// with exactly the texts pieceText and detailsText make of `entries`.
bool onDisk(const std::filesystem::path& wall, const Data& data, const std::vector<WallEntry>& entries);

/// Makes and writes the pieces and their details, each whole, into the data folder of the wall in `wall`, on a
/// few threads of its own while the caller goes on (the writes wait mostly on the disk), making
/// the folder first when it is missing. `data` and `entries` must outlive the writer.
class Writer {
public:
    /// Throws JobError when the data folder cannot be made, or a link or anything but a folder
    /// stands in its place. Where no thread is to be had, finish() does all the work.
    Writer(const std::filesystem::path& wall, const Data& data, const std::vector<WallEntry>& entries);
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    /// Waits for the writes in progress; the pieces not begun are left unwritten.
    ~Writer();
    /// Returns once every piece is written, writing those not yet begun on the calling thread;
    /// throws the first failure (JobError). Call once.
    void finish();

private:
    void work();

    const std::filesystem::path folder;
    const Data& data;
    const std::vector<WallEntry>& entries;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex lock; ///< guards failure
    std::exception_ptr failure;
    std::vector<std::jthread> threads; ///< last: joined before the members they use go
};

/// Removes the regular files of the data folder that `data` does not name: the pieces of older
/// generations and whatever else was left there, but for a piece's temporary file whose writer
/// still runs. Nothing outside the folder is touched, nor anything reached through a link; a
/// file that cannot be removed is left for the next run.
void removeUnnamed(const std::filesystem::path& wall, const Data& data);

} // namespace WallPieces
