// Telling the kernel's own file systems by their type.
#include "engine/walk/SystemMounts.h"

#include <linux/magic.h>
#include <sys/vfs.h>

#include <climits>
#include <cstdlib>
#include <string_view>

namespace SystemMounts {
namespace {

// Not every kernel header names these.
constexpr long configfsMagic = 0x62656570;
constexpr long fusectlMagic = 0x65735543;
constexpr long mqueueMagic = 0x19800202;

/// File systems that only ever hold the kernel's view of itself.
bool kernelOnly(long type)
{
    switch (type) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case SECURITYFS_MAGIC:
    case TRACEFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case configfsMagic:
    case fusectlMagic:
    case mqueueMagic:
    case AUTOFS_SUPER_MAGIC:
    case HUGETLBFS_MAGIC:
    case BINFMTFS_MAGIC:
    case EFIVARFS_MAGIC:
    case SELINUX_MAGIC:
    case SMACK_MAGIC:
    case NSFS_MAGIC:
    case RDTGROUP_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

bool within(std::string_view path, std::string_view folder)
{
    return path == folder || (path.starts_with(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

} // namespace

bool isSystemMount(int folderFd, const std::string& path)
{
    struct statfs fs{};
    if (fstatfs(folderFd, &fs) != 0)
        return false;
    const long type = static_cast<long>(fs.f_type);
    if (kernelOnly(type))
        return true;
    // A memory file system is the user's own in /tmp or a mount of their choice; at /run and
    // /dev (devtmpfs says it is tmpfs) it holds the system's sockets, locks and device nodes.
    // Asked only at such a mount point, so the cost of resolving the path is rare.
    if (type != TMPFS_MAGIC && type != RAMFS_MAGIC)
        return false;
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved))
        return false;
    return within(resolved, "/run") || within(resolved, "/dev");
}

} // namespace SystemMounts
