// Running part of a test in a mount namespace of its own, to mount over folders freely.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

/// Runs f in a child process in a mount namespace of its own; its exit status is the result.
/// Gives 77 when the machine does not allow a private mount.
inline int inPrivateMounts(const std::function<int()>& f)
{
    const pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            _exit(77);
        _exit(f());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
