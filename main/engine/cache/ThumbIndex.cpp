// Listing thumbnail folders.
#include "engine/cache/ThumbIndex.h"

#include "engine/base/DirStream.h"

#include <fcntl.h>
#include <sys/stat.h>

bool ThumbIndex::has(std::string_view key)
{
    // A key that could name another folder never matches a listed file.
    if (key.size() < 2 || key.find('/') != std::string_view::npos || key.substr(0, 2) == "..")
        return false;
    const std::string_view prefix = key.substr(0, 2);
    auto it = folders.find(prefix);
    if (it == folders.end()) {
        Names keys;
        DirStream dir(thumbDir / std::string(prefix));
        while (const dirent* e = dir.next()) {
            const std::string_view name = e->d_name;
            if (name.size() <= extension.size() || !name.ends_with(extension))
                continue;
            bool file = e->d_type == DT_REG;
            if (e->d_type == DT_UNKNOWN) {
                struct stat st{};
                file = fstatat(dir.fd(), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
            }
            if (file)
                keys.emplace(name.substr(0, name.size() - extension.size()));
        }
        it = folders.emplace(std::string(prefix), std::move(keys)).first;
    }
    return it->second.contains(key);
}
