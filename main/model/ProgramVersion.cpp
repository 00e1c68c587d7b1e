// The version and revision CMake wrote at configure time; only this file sees them, so a new
// commit rebuilds one file.
#include "model/ProgramVersion.h"

#include "model/VersionInfo.h"

#include <QCoreApplication>

namespace ProgramVersion {

QString number()
{
    return QString::fromUtf8(VersionInfo::number);
}

QString revision()
{
    return QString::fromUtf8(VersionInfo::revision);
}

QString line(const QString& program)
{
    const QString release = program + QLatin1Char(' ') + number();
    if (revision().isEmpty())
        return release;
    //: %1 is the program and its version ("kestova-cli 0.1.0"), %2 the commit it was built from.
    return QCoreApplication::translate("ProgramVersion", "%1 (revision %2)").arg(release, revision());
}

} // namespace ProgramVersion
