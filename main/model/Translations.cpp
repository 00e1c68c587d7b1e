// Finding and installing the translations of Kestova's texts and of Qt's own.
#include "model/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

Translations::Translations(const QLocale& user)
{
    // The counted sentences have English forms of their own ("1 photo has", "2 photos have"),
    // built into the program: they are part of its English, not a translation.
    install(QLocale(QLocale::English), QStringLiteral("kestova"), {QStringLiteral(":/translations")});

    if (!install(user, QStringLiteral("kestova"), folders())) {
        // English texts: numbers and dates in the user's own English, else in US English, so a
        // sentence never mixes two languages.
        QLocale::setDefault(user.language() == QLocale::English ? user : QLocale(QLocale::English, QLocale::UnitedStates));
        return;
    }
    const QLocale chosen(installed.back()->language());
    _language = QLocale::languageToCode(chosen.language());
    // Qt's own words (the folder chooser, message box buttons) in the same language.
    install(chosen, QStringLiteral("qtbase"), {QLibraryInfo::path(QLibraryInfo::TranslationsPath)});
    // Counts and dates in that language; in the user's own region of it when it is theirs.
    QLocale::setDefault(user.language() == chosen.language() ? user : chosen);
}

Translations::~Translations()
{
    for (const auto& translator : installed)
        QCoreApplication::removeTranslator(translator.get());
    QLocale::setDefault(previous);
}

bool Translations::install(const QLocale& locale, const QString& name, const QStringList& dirs)
{
    auto translator = std::make_unique<QTranslator>();
    for (const QString& dir : dirs) {
        if (translator->load(locale, name, QStringLiteral("_"), dir)) {
            QCoreApplication::installTranslator(translator.get());
            installed.push_back(std::move(translator));
            return true;
        }
    }
    return false;
}

QStringList Translations::folders()
{
    // Only places relative to the program, as for the page template: an installation can be
    // moved, and no build leaves its own folders compiled in.
    const QString exe = QCoreApplication::applicationDirPath();
    return {exe + QStringLiteral("/translations"),
            QDir::cleanPath(exe + QStringLiteral("/" KESTOVA_DATA_FROM_BIN "/translations"))};
}
