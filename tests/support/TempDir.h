// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <sys/stat.h>
#include <sys/time.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestova-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
    }
    ~TempDir()
    {
        // Tests may leave read-only folders behind; make everything writable before removal.
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(root, std::filesystem::directory_options::skip_permission_denied, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec))
                chmod(it->path().c_str(), 0755);
        }
        chmod(root.c_str(), 0755);
        std::filesystem::remove_all(root, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return root; }
    std::filesystem::path operator/(std::string_view rel) const { return root / rel; }

    /// Writes a file (and its folders) with the given bytes.
    std::filesystem::path write(std::string_view rel, std::string_view bytes = "x") const
    {
        const auto file = root / rel;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

    std::filesystem::path mkdir(std::string_view rel) const
    {
        const auto dir = root / rel;
        std::filesystem::create_directories(dir);
        return dir;
    }

private:
    std::filesystem::path root;
};

/// Sets a file's modification time to seconds + nanoseconds since 1970.
inline void setMtime(const std::filesystem::path& file, time_t seconds, long nanoseconds = 0)
{
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

#ifdef KESTOVA_SHARED_PHOTOS
/// Copies one of the shared camera photos to `to`, making its folders; an existing file is replaced.
inline void copyPhoto(const std::filesystem::path& to, std::string_view camera = "cameras/Canon_40D.jpg")
{
    std::filesystem::create_directories(to.parent_path());
    std::filesystem::copy_file(std::filesystem::path(KESTOVA_SHARED_PHOTOS) / camera, to,
                               std::filesystem::copy_options::overwrite_existing);
}
#endif

inline std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Every file below a folder with its bytes and modification time, for "nothing changed" checks.
inline std::map<std::string, std::pair<std::string, std::int64_t>> snapshot(const std::filesystem::path& dir,
                                                                            const std::filesystem::path& skip = {})
{
    std::map<std::string, std::pair<std::string, std::int64_t>> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec); !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (!skip.empty() && it->path() == skip) {
            it.disable_recursion_pending();
            continue;
        }
        struct stat st{};
        if (lstat(it->path().c_str(), &st) != 0)
            continue;
        const std::string rel = it->path().lexically_relative(dir).string();
        files[rel] = {S_ISREG(st.st_mode) ? readFile(it->path()) : std::string(S_ISDIR(st.st_mode) ? "<dir>" : "<other>"),
                      static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    return files;
}
