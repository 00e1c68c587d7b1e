// Which release and which revision this build of the programs is.
#pragma once

#include <QString>

namespace ProgramVersion {

/// The release, "0.1.0".
QString number();
/// The commit the build came from, or empty when it was not built from a checkout.
QString revision();
/// What `--version` prints: "kestova-cli 0.1.0 (revision 1a2b3c4)", without the parenthesis
/// when there is no revision.
QString line(const QString& program);

} // namespace ProgramVersion
