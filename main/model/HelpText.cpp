// Formatting the shared --help sections.
#include "model/HelpText.h"

#include <QCoreApplication>

namespace HelpText {

QString exitStatuses(std::initializer_list<ExitMeaning> meanings)
{
    QString text = QCoreApplication::translate("HelpText", "Exit status:") + QLatin1Char('\n');
    for (const ExitMeaning& m : meanings) {
        // A meaning of several lines goes on under its first line's words.
        const QString meaning = QCoreApplication::translate("HelpText", m.meaning)
                                    .replace(QLatin1Char('\n'), QStringLiteral("\n       "));
        text += QStringLiteral("  %1  %2\n").arg(m.status, -3).arg(meaning);
    }
    return text;
}

QString examples(std::initializer_list<const char*> commandLines)
{
    QString text = commandLines.size() == 1 ? QCoreApplication::translate("HelpText", "Example:")
                                            : QCoreApplication::translate("HelpText", "Examples:");
    text += QLatin1Char('\n');
    for (const char* line : commandLines)
        text += QStringLiteral("  ") + QString::fromUtf8(line) + QLatin1Char('\n');
    return text;
}

QString ending(std::initializer_list<ExitMeaning> meanings, std::initializer_list<const char*> commandLines)
{
    return QLatin1Char('\n') + exitStatuses(meanings) + QLatin1Char('\n') + examples(commandLines);
}

} // namespace HelpText
