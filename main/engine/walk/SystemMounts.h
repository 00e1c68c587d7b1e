// The file systems of the running system that hold no one's photos.
#pragma once

#include <string>

namespace SystemMounts {

/// Whether the open folder `folderFd`, the root of a mounted file system at `path`, is one of
/// the kernel's own: process and device tables, control files, pipes of pseudo-files that
/// never end or block when read (proc, sysfs, cgroup, debugfs…), or the memory file systems
/// that the system keeps its run-time state and device nodes in (tmpfs at /run and /dev).
/// Asks the kernel for the file system's type; the name of the folder plays no part.
bool isSystemMount(int folderFd, const std::string& path);

} // namespace SystemMounts
