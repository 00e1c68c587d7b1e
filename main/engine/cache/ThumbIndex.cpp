// Listing thumbnail folders.
#include "engine/cache/ThumbIndex.h"

#include "engine/base/DirStream.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

namespace {

constexpr std::size_t keyLength = 16;

/// The number 16 lower-case hexadecimal digits spell; nothing for anything else.
std::optional<std::uint64_t> keyValue(std::string_view key)
{
    if (key.size() != keyLength)
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : key) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else
            return std::nullopt;
        value = value << 4 | digit;
    }
    return value;
}

constexpr char hexDigits[] = "0123456789abcdef";

} // namespace

std::vector<std::uint64_t>& ThumbIndex::listed(unsigned folder)
{
    auto& keys = folders[folder];
    if (keys)
        return *keys;
    keys.emplace();
    const char name[] = {hexDigits[folder >> 4], hexDigits[folder & 15], '\0'};
    DirStream dir(thumbDir / name);
    while (const dirent* e = dir.next()) {
        const std::string_view file = e->d_name;
        if (file.size() != keyLength + extension.size() || !file.ends_with(extension))
            continue;
        const auto value = keyValue(file.substr(0, keyLength));
        // Only the files of their own folder: another key's file there is not where it is looked for.
        if (!value || *value >> 56 != folder)
            continue;
        bool regular = e->d_type == DT_REG;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st{};
            regular = fstatat(dir.fd(), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (regular)
            keys->push_back(*value);
    }
    std::sort(keys->begin(), keys->end());
    return *keys;
}

bool ThumbIndex::has(std::string_view key)
{
    const auto value = keyValue(key);
    if (!value)
        return false;
    const auto& keys = listed(unsigned(*value >> 56));
    return std::binary_search(keys.begin(), keys.end(), *value);
}

void ThumbIndex::listAll()
{
    for (unsigned folder = 0; folder < folders.size(); ++folder)
        listed(folder);
}
