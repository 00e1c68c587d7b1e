// kestova-cli run as a child process with its own home folder: its output, its exit status
// and the most memory it ever held.
#pragma once

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

struct CliRun {
    int status = -1;         ///< the exit status, or -1 when a signal ended it
    std::string out;
    std::string err;
    long peakKilobytes = 0;  ///< the child's peak resident memory
};

/// A resource limit of the child (RLIMIT_NOFILE, RLIMIT_AS…) and its value, soft and hard.
struct ChildLimit {
    int resource;
    rlim_t value;
};

/// Runs kestova-cli with `args`; the settings it keeps (the recent walls) live under `home`.
inline CliRun runCli(const std::vector<std::string>& args, const std::filesystem::path& home,
                     const std::vector<ChildLimit>& limits = {})
{
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0)
        std::abort();
    const pid_t child = fork();
    if (child == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            close(fd);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        for (const ChildLimit& limit : limits) {
            const rlimit value{limit.value, limit.value};
            if (setrlimit(limit.resource, &value) != 0)
                _exit(126);
        }
        std::vector<char*> argv{const_cast<char*>(KESTOVA_CLI)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(KESTOVA_CLI, argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    CliRun run;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (open > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, std::size_t(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}
