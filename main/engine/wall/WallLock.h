// The one writer of a wall: an advisory lock on a file in the wall's folder.
#pragma once

#include <sys/types.h>

#include <filesystem>

/// Held for the length of a run. The kernel drops the lock when its holder's descriptor closes,
/// so a writer that is killed never leaves a wall locked. Locks belong to the open file
/// description (OFD locks), so two runs in one process exclude each other too. The holder
/// removes the file when it lets go, so a wall between runs holds only its own files.
class WallLock {
public:
    /// Takes nothing yet.
    explicit WallLock(std::filesystem::path file);
    /// Lets go, removing the file if it is held.
    ~WallLock();
    WallLock(const WallLock&) = delete;
    WallLock& operator=(const WallLock&) = delete;

    /// Takes the lock when no other writer holds it, and writes this process's id into the
    /// file for the others to name. Never blocks. Also true where the file system keeps no
    /// locks (some network mounts) or the file cannot be made: the run then goes on unguarded
    /// and fails at its first write if the folder takes none. Throws JobError when something
    /// other than a plain file is in the lock file's place (a folder, a link, a pipe, a file
    /// with a second name): no lock on it would keep a second writer out.
    bool tryLock();
    /// The process id the holder wrote, 0 when it has not said (yet).
    pid_t holder() const;

private:
    std::filesystem::path file;
    int fd = -1;
    bool held = false;
};
