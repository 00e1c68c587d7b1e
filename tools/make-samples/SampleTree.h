// The bundled sample tree: photos of every kind the wall must handle, and the clutter around
// them that the walk must pass over.
#pragma once

#include "OutputTree.h"

#include <string>

namespace samples {

/// What a run wrote, for the one-line summary.
struct SampleCounts {
    int wallPhotos = 0; ///< photos that belong on the wall
    int duplicates = 0; ///< copies that duplicate collapsing drops
    int unreadable = 0; ///< files with a photo name that are no photo
    int ignored = 0;    ///< photos in pruned folders or hidden, and files without a photo name
    int links = 0;      ///< symbolic links, which the walk ignores
    std::string skipped; ///< formats this machine cannot write, for a note
};

/// Writes the sample tree into `tree`. Throws std::runtime_error when a file cannot be made.
SampleCounts writeSampleTree(const OutputTree& tree);

} // namespace samples
