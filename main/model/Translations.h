// The programs' texts in the user's language.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QTranslator;

/// The translation of Kestova's texts for the first of the user's languages that has one
/// (LANGUAGE, then LC_ALL, LC_MESSAGES, LANG), with Qt's own texts in that language, installed
/// for as long as this object lives; counts, times and dates follow the same language (it
/// becomes Qt's default locale, which the ICU formatters read). Without a match the texts stay
/// English. Make it on the main thread after the application object and before any text.
class Translations {
public:
    explicit Translations(const QLocale& user = QLocale::system());
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    /// The language in use: "de", or "en" when no translation matched.
    QString language() const { return _language; }

    /// Where translations are looked for: beside the program (the build tree puts them there),
    /// then <prefix>/share/kestova for a program in <prefix>/bin.
    static QStringList folders();

private:
    bool install(const QLocale& locale, const QString& name, const QStringList& dirs);

    std::vector<std::unique_ptr<QTranslator>> installed;
    QString _language = QStringLiteral("en");
    QLocale previous; ///< the default locale before, given back at the end
};
