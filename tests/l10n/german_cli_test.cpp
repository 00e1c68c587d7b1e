// Every line kestova-cli prints changes under a German user: a line that reads the same as
// for an English user escaped translation, unless it is a name, a path or a number.
#include "GermanEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>

namespace {

struct Output {
    int status = -1;
    QStringList lines;
};

Output run(const QString& program, const QStringList& arguments, bool inGerman)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!inGerman) {
        env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    }
    // No desktop session: the runs need none.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess cli;
    cli.setProcessEnvironment(env);
    cli.start(program, arguments);
    cli.waitForFinished(300000);
    Output out;
    out.status = cli.exitCode();
    const QString text = QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
    for (const QString& line : text.split(QLatin1Char('\n')))
        out.lines << line.trimmed();
    return out;
}

/// Each line of each command's output reads differently for a German user, and the command ends
/// with the same status.
void expectEveryLineGerman(const QString& program, const QList<QStringList>& commands)
{
    for (const QStringList& command : commands) {
        const Output english = run(program, command, false);
        const Output german = run(program, command, true);
        EXPECT_EQ(english.status, german.status) << command.join(QLatin1Char(' ')).toStdString();
        for (const QString& line : german.lines) {
            if (english.lines.contains(line) && !sameInEveryLanguage(line))
                ADD_FAILURE() << program.toStdString() << " " << command.join(QLatin1Char(' ')).toStdString() << ": \""
                              << line.toStdString() << "\" is not translated";
        }
    }
}

} // namespace

TEST(GermanCli, everyMessageAndEveryHelpTextIsGerman)
{
    QTemporaryDir dir;
    const QString photos = dir.path() + QStringLiteral("/Urlaub");
    QDir().mkpath(photos + QStringLiteral("/undated"));
    QFile::copy(QStringLiteral(KESTOVA_SHARED_PHOTOS "/cameras/Canon_40D.jpg"), photos + QStringLiteral("/IMG_1.JPG"));
    QFile::copy(QStringLiteral(KESTOVA_SHARED_PHOTOS "/cameras/no_exif.jpg"), photos + QStringLiteral("/undated/a.jpg"));
    std::ofstream((photos + QStringLiteral("/broken.jpg")).toStdString()) << "not a photo";
    const QString file = photos + QStringLiteral("/IMG_1.JPG");

    const QList<QStringList> commands = {
        {QStringLiteral("--help")},
        {QStringLiteral("--version")},
        {QStringLiteral("nonsense")},
        {QStringLiteral("build"), QStringLiteral("--help")},
        {QStringLiteral("build")},
        {QStringLiteral("build"), QStringLiteral("--bogus"), photos},
        {QStringLiteral("build"), QStringLiteral("--out")},
        {QStringLiteral("build"), QStringLiteral("--title")},
        {QStringLiteral("build"), photos, photos},
        {QStringLiteral("build"), file},
        {QStringLiteral("walls")},
        {QStringLiteral("build"), photos},
        {QStringLiteral("walls")},
        {QStringLiteral("walls"), QStringLiteral("--help")},
        {QStringLiteral("walls"), QStringLiteral("--bogus")},
        {QStringLiteral("scan"), QStringLiteral("--help")},
        {QStringLiteral("scan")},
        {QStringLiteral("scan"), file},
        {QStringLiteral("scan"), dir.path() + QStringLiteral("/gone")},
    };
    const QString cli = QStringLiteral(KESTOVA_CLI);
    expectEveryLineGerman(cli, commands);
    const Output built = run(cli, {QStringLiteral("build"), photos}, true);
    EXPECT_THAT(built.lines, ::testing::Contains(QStringLiteral("2 Fotos bereit")));
    EXPECT_THAT(built.lines, ::testing::Contains(QStringLiteral("1 Datei war nicht lesbar und wurde übersprungen")));
    // The files that couldn't be read are named after the result, under a German heading.
    EXPECT_THAT(built.lines, ::testing::Contains(QStringLiteral("Diese Datei war nicht lesbar:")));
    // The decoder's own words follow the reason untranslated.
    EXPECT_THAT(built.lines, ::testing::Contains(::testing::Truly([](const QString& line) {
                    return line.startsWith(QStringLiteral("broken.jpg (beschädigt oder kein Fotoformat, das Kestova liest \u2014 "));
                })));
    const Output help = run(cli, {QStringLiteral("build"), QStringLiteral("--help")}, true);
    EXPECT_THAT(help.lines, ::testing::Contains(QStringLiteral("Exit-Status:")));
    EXPECT_THAT(help.lines, ::testing::Contains(QStringLiteral("75   ein anderes Kestova schreibt dieselbe Fotowand; nichts wurde begonnen")));
}

#ifdef KESTOVA_APP
TEST(GermanCli, theWindowsProgramAnswersInGermanToo)
{
    expectEveryLineGerman(QStringLiteral(KESTOVA_APP),
                          {{QStringLiteral("--help")}, {QStringLiteral("--version")}, {QStringLiteral("--bogus")}});
    const Output help = run(QStringLiteral(KESTOVA_APP), {QStringLiteral("--help")}, true);
    EXPECT_THAT(help.lines, ::testing::Contains(QStringLiteral("Aufruf: kestova [ORDNER]")));
}
#endif
