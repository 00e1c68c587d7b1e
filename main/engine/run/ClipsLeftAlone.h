// What became of the live photos a run tried to pair.
#pragma once

#include "engine/run/ProcessingPhase.h"
#include "engine/walk/FileEntry.h"

#include <vector>

/// The clips of `clips` whose still in `stills` was processed by this phase and made no pair
/// with them: the still could not be read, or the clip did not open or is too long for a live
/// photo's. Each is then a video of its own.
std::vector<FileEntry> clipsLeftAlone(const std::vector<FileEntry>& stills, const std::vector<FileEntry>& clips,
                                      const ProcessingPhase::Outcome& outcome);
