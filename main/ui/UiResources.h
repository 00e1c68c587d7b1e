// The icons built into the program.
#pragma once

/// Registers the built-in icons once; a static library's resources are not registered by
/// themselves. Safe to call any number of times, from the main thread.
void ensureUiResources();
