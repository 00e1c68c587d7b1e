// One QApplication for the German tests, with LANGUAGE and LC_ALL set to German.
#include "GermanEnvironment.h"

#include "TestHome.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QRegularExpression>

#include <cstdlib>

namespace {

class GermanEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        home = std::make_unique<TestHome>("de_DE.UTF-8", "de");
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("TZ", "UTC", 1);
        app = std::make_unique<QApplication>(argc, argv);
    }

    void TearDown() override
    {
        app.reset();
        home.reset();
    }

private:
    int argc = 1;
    char name[20] = "kestova-l10n-test";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<TestHome> home;
    std::unique_ptr<QApplication> app;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new GermanEnvironment);

} // namespace

std::unique_ptr<Translations> german()
{
    return std::make_unique<Translations>(QLocale::system());
}

std::unique_ptr<Translations> english()
{
    return std::make_unique<Translations>(QLocale(QLocale::English, QLocale::UnitedStates));
}

bool sameInEveryLanguage(const QString& text)
{
    static const QStringList names = {QStringLiteral("Kestova"), QStringLiteral("OK"), QStringLiteral("Holiday"),
                                      QStringLiteral("Holiday 2023"), QStringLiteral("SD Card"), QStringLiteral("Urlaub"), QStringLiteral("broken.jpg"), QStringLiteral("…"),
                                      QStringLiteral("×")};
    if (text.trimmed().isEmpty() || names.contains(text) || text.startsWith(QLatin1Char('/')))
        return true;
    // Walls named "Card 3", the long wall's name, numbers, JSON and a command with only options.
    static const QRegularExpression data(QStringLiteral(
        "^(Card \\d+|Family archive with a very long name.*|[\\d.,\\s]+|[{\\[].*|[a-z]+ \\[--[a-z]+\\])$"));
    // A version without a revision, and the example command lines of --help: names, paths
    // and options only.
    static const QRegularExpression command(QStringLiteral(
        "^kestova(-cli)?( \\d+\\.\\d+\\.\\d+| (build|scan|walls))?( (~/|/|--)\\S*| \"[^\"]*\"| \\| wc -l)*$"));
    return data.match(text).hasMatch() || command.match(text).hasMatch();
}
