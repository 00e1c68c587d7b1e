// Large generated photo sets for benchmarks and scale tests.
#pragma once

#include "OutputTree.h"

namespace samples {

/// `count` camera-sized photos (4000x3000 JPEGs of a few megabytes, with a capture date and a
/// camera make and model) directly in the tree's folder.
void writeBenchPhotos(const OutputTree& tree, int count);

/// `count` 16x16 JPEGs with capture dates, 200 to a folder.
void writeTinyPhotos(const OutputTree& tree, int count);

/// Folders of the tiny set hold this many photos each.
constexpr int tinyPerFolder = 200;

} // namespace samples
