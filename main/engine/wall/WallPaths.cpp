// The locations inside a wall's folder.
#include "engine/wall/WallPaths.h"

#include "engine/base/Md5.h"
#include "engine/wall/WallFiles.h"

namespace fs = std::filesystem;

fs::path WallPaths::thumbDir() const { return out / WallFiles::thumbs; }
fs::path WallPaths::cacheURL() const { return out / WallFiles::cache; }
fs::path WallPaths::galleryFile() const { return out / WallFiles::page; }
fs::path WallPaths::manifestFile() const { return out / WallFiles::manifest; }
fs::path WallPaths::stateFile() const { return out / WallFiles::state; }
fs::path WallPaths::wallIndexFile() const { return out / WallFiles::wallIndex; }
fs::path WallPaths::dataDir() const { return out / WallFiles::data; }
fs::path WallPaths::previewDir() const { return out / WallFiles::previews; }
fs::path WallPaths::fullDir() const { return out / WallFiles::full; }
fs::path WallPaths::motionDir() const { return out / WallFiles::motion; }
fs::path WallPaths::settingsFile() const { return out / WallFiles::settings; }
fs::path WallPaths::videoCopyDir() const { return out / WallFiles::videos; }
fs::path WallPaths::journalFile() const { return out / WallFiles::journal; }
fs::path WallPaths::lockFile() const { return out / WallFiles::lock; }
fs::path WallPaths::stampFile() const { return out / WallFiles::stamp; }

std::string WallPaths::key(std::string_view rel)
{
    return md5Hex(rel).substr(0, 16);
}

fs::path WallPaths::thumbURL(std::string_view key) const
{
    return out / WallFiles::photoFileName(WallFiles::thumbs, key, ".jpg");
}

fs::path WallPaths::previewURL(std::string_view key) const
{
    return out / WallFiles::photoFileName(WallFiles::previews, key, ".jpg");
}

fs::path WallPaths::fullURL(std::string_view key) const
{
    return out / WallFiles::photoFileName(WallFiles::full, key, ".jpg");
}

std::string WallPaths::motionClipName(std::string_view key)
{
    return WallFiles::photoFileName(WallFiles::motion, key, ".mp4");
}

fs::path WallPaths::motionURL(std::string_view key) const
{
    return out / motionClipName(key);
}

std::string WallPaths::videoCopyName(std::string_view key)
{
    return WallFiles::photoFileName(WallFiles::videos, key, ".mp4");
}
