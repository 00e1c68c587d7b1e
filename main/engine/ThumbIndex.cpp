// Listing thumbnail folders.
#include "engine/internal/ThumbIndex.h"

#include "engine/internal/DirStream.h"

#include <fcntl.h>
#include <sys/stat.h>

bool ThumbIndex::has(std::string_view key)
{
    // A key that could name another folder never matches a listed file.
    if (key.size() < 2 || key.find('/') != std::string_view::npos || key.substr(0, 2) == "..")
        return false;
    const std::string prefix(key.substr(0, 2));
    auto it = folders.find(prefix);
    if (it == folders.end()) {
        std::unordered_set<std::string> names;
        DirStream dir(thumbDir / prefix);
        while (const dirent* e = dir.next()) {
            bool file = e->d_type == DT_REG;
            if (e->d_type == DT_UNKNOWN) {
                struct stat st{};
                file = fstatat(dir.fd(), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
            }
            if (file)
                names.emplace(e->d_name);
        }
        it = folders.emplace(prefix, std::move(names)).first;
    }
    std::string name(key);
    name += extension;
    return it->second.contains(name);
}
