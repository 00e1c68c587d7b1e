// A folder whose file system never answers, as a dead network share or a hung FUSE mount: a
// real FUSE mount whose server answers the kernel's greeting and then nothing. Every call that
// reaches into it (opening it, listing it, a stat inside) blocks until the server goes away.
// Needs root and /dev/fuse; mount it inside inPrivateMounts (PrivateMounts.h).
#pragma once

#include <fcntl.h>
#include <linux/fuse.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

class HungFolder {
public:
    /// Mounts the file system on `folder` (made when missing). Check with bool: false when the
    /// machine offers no FUSE.
    explicit HungFolder(const std::filesystem::path& folder)
    {
        std::filesystem::create_directories(folder);
        fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return;
        const std::string options = "fd=" + std::to_string(fd) + ",rootmode=40000,user_id=0,group_id=0";
        if (mount("kestova-hung", folder.c_str(), "fuse.kestova-hung", MS_NOSUID | MS_NODEV, options.c_str()) != 0
            || !greet()) {
            ::close(fd);
            fd = -1;
        }
    }
    /// The server goes away: every call still waiting in the folder fails, and returns.
    ~HungFolder()
    {
        if (fd >= 0)
            ::close(fd);
    }
    HungFolder(const HungFolder&) = delete;
    HungFolder& operator=(const HungFolder&) = delete;

    explicit operator bool() const { return fd >= 0; }

    /// Blocks until a call waits in the folder, unanswered (a process is now stuck in it), or
    /// `limitMs` has passed; true when one does. The request is left unread, so that the caller
    /// stays stuck but can still be killed.
    bool waitForCaller(int limitMs = 120000) const
    {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, limitMs) == 1 && (p.revents & POLLIN);
    }

    /// Takes the waiting call and never answers it: its caller is now stuck beyond even SIGKILL
    /// (a process killed then stays a zombie) until the server goes away.
    void holdCaller() const
    {
        std::vector<char> request(FUSE_MIN_READ_BUFFER);
        (void)::read(fd, request.data(), request.size());
    }

private:
    /// Answers the kernel's first request, so that calls into the folder are queued for the
    /// server (and seen by waitForCaller) instead of waiting for the mount to be set up.
    bool greet() const
    {
        alignas(8) char buffer[FUSE_MIN_READ_BUFFER];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < static_cast<ssize_t>(sizeof(fuse_in_header)))
            return false;
        fuse_in_header in{};
        std::memcpy(&in, buffer, sizeof in);
        if (in.opcode != FUSE_INIT)
            return false;
        struct {
            fuse_out_header header;
            fuse_init_out init;
        } reply{};
        reply.header.len = sizeof reply;
        reply.header.unique = in.unique;
        reply.init.major = FUSE_KERNEL_VERSION;
        reply.init.minor = FUSE_KERNEL_MINOR_VERSION;
        reply.init.max_write = 4096;
        reply.init.max_background = 1;
        reply.init.congestion_threshold = 1;
        return ::write(fd, &reply, sizeof reply) == static_cast<ssize_t>(sizeof reply);
    }

    int fd = -1;
};
