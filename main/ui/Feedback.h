// The feedback mail to the maker.
#pragma once

#include <QString>
#include <QUrl>

class PlatformActions;

namespace Feedback {

/// The maker's feedback address, set when the program is built.
QString address();

/// The mail's text: the question, three empty lines, an em dash line, then the program's and
/// the system's versions.
QString body(const QString& version, const QString& build, const QString& system);
/// mailto:address?subject=…&body=…, every character outside the unreserved set percent-encoded.
QUrl mailUrl(const QString& body);

/// Opens a new mail to the maker in the user's mail application; without one, copies the
/// address to the clipboard and says so in an alert, which blocks until dismissed.
void send(PlatformActions& desktop);

} // namespace Feedback
