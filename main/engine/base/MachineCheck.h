// Telling a photo's fault from the machine's: after the work on a photo failed, whether the
// machine itself can no longer do the work of any photo.
#pragma once

#include <filesystem>

namespace MachineCheck {

/// Throws JobError naming the fault when the wall's folder `wall` cannot take a file (no space,
/// no inodes, read-only, an I/O error) or the process is out of descriptors or address space;
/// returns when the machine can still make a thumbnail, so that the photo is to blame. Cheap
/// enough to ask after every failed photo; never asked after a photo that worked.
void afterFailure(const std::filesystem::path& wall);

/// How many of `jobs` photos may be processed at once in the address space this process may
/// still take (a user's limit, `ulimit -v`): all of them without a limit, fewer under a tight
/// one. Throws JobError when not even one fits, before any photo is tried, rather than let a
/// decoder's allocation fail in a library that aborts the process on it.
int workersThatFit(int jobs);

} // namespace MachineCheck
