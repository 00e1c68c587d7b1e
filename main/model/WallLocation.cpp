// Wall titles and output folders on Linux.
#include "model/WallLocation.h"

#include "engine/run/Indexer.h"
#include "engine/base/Md5.h"
#include "model/Model.h"
#include "model/PathText.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace WallLocation {

fs::path picturesDir()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty())
        return PathText::toPath(pictures);
    return PathText::toPath(QDir::homePath()) / "Pictures";
}

QString displayName(const fs::path& path)
{
    // A drive's mount point shows under its label, as file managers show it, when it has one.
    const QString text = PathText::fromPath(path);
    const QStorageInfo storage(text);
    if (storage.isValid() && !storage.name().isEmpty()) {
        const QString canonical = QFileInfo(text).canonicalFilePath();
        if (!canonical.isEmpty() && canonical == storage.rootPath())
            return storage.name();
    }
    return PathText::fromPath(path.filename());
}

bool isWritable(const fs::path& path)
{
    // The kernel's own answer for this process: permission bits, ACLs and read-only mounts.
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

fs::path standardized(const fs::path& path)
{
    std::error_code ec;
    fs::path absolute = path.is_absolute() ? path : fs::absolute(path, ec);
    if (ec)
        absolute = path;
    fs::path normal = absolute.lexically_normal();
    // "/a/b/" normalises to "/a/b/" with an empty last element; the location has no separator
    // at its end except for "/" itself.
    if (!normal.has_filename() && normal.has_relative_path())
        normal = normal.parent_path();
    return normal;
}

} // namespace WallLocation

QString Model::title(const fs::path& root)
{
    if (root.native() == "/")
        return QStringLiteral("Computer");
    const QString name = WallLocation::displayName(root);
    return name.isEmpty() ? QStringLiteral("Photos") : name;
}

fs::path Model::galleryDir(const fs::path& root, const QString& title)
{
    const fs::path candidate = root / WallPaths::defaultWallFolder;
    std::error_code ec;
    if (fs::exists(candidate, ec) && WallLocation::isWritable(candidate))
        return candidate;
    if (root.native() != "/" && WallLocation::isWritable(root))
        return candidate;
    const std::string key = md5Hex(root.native()).substr(0, 6);
    QString name = title;
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    return WallLocation::picturesDir() / "Kestova" / PathText::toPath(name + QLatin1Char(' ') + QString::fromLatin1(key));
}
