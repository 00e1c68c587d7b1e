// Writing the feedback mail, with the clipboard as the way out when no mail application is set up.
#include "ui/Feedback.h"

#include "model/PlatformActions.h"
#include "model/ProgramVersion.h"
#include "ui/BuildInfo.h"

#include <QCoreApplication>
#include <QSysInfo>

namespace Feedback {

QString address()
{
    return QString::fromUtf8(BuildInfo::feedbackAddress);
}

QString body(const QString& version, const QString& build, const QString& system)
{
    return QCoreApplication::translate("Feedback", "What's working, what isn't, or what would you like Kestova to do next?") +
           QStringLiteral("\n\n\n\n") + QChar(0x2014) + QLatin1Char('\n') + QStringLiteral("Kestova ") +
           version + QStringLiteral(" (") + build + QStringLiteral(") ") + QChar(0x00B7) + QLatin1Char(' ') +
           system;
}

QUrl mailUrl(const QString& body)
{
    // Encoded by hand: QUrlQuery would leave "+", "&" and "=" in a value as they are, and a
    // mail application may read "+" as a space.
    const QByteArray query = "subject=" + QUrl::toPercentEncoding(QStringLiteral("Kestova feedback")) +
                             "&body=" + QUrl::toPercentEncoding(body);
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address());
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return url;
}

void send(PlatformActions& desktop)
{
    const QString system = QSysInfo::prettyProductName();
    const QString revision = ProgramVersion::revision();
    const QUrl url = mailUrl(body(ProgramVersion::number(), revision.isEmpty() ? QStringLiteral("?") : revision,
                                  system.isEmpty() ? QStringLiteral("?") : system));
    if (url.isValid() && desktop.openUrl(url))
        return;
    desktop.copyText(address());
    desktop.showAlert(QCoreApplication::translate("Feedback", "Email us at %1").arg(address()),
                      QCoreApplication::translate("Feedback", "No email app is set up on this computer, so the address "
                                                              "has been copied for you."));
}

} // namespace Feedback
