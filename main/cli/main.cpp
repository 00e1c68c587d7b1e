// kestova-cli: builds and lists walls from a terminal.
#include "cli/Commands.h"

#include "model/HelpText.h"
#include "model/ProgramVersion.h"
#include "model/Translations.h"

#include <QCoreApplication>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::array commands{
    Command{"scan", QT_TRANSLATE_NOOP("Cli", "SOURCE [--out DIR]"),
            QT_TRANSLATE_NOOP("Cli", "List the photos a wall of SOURCE would include, one JSON object per line."),
            scanCommand},
    Command{"build", QT_TRANSLATE_NOOP("Cli", "SOURCE [--out DIR] [--title TEXT] [--no-dedupe] [--previews] [--portable] [--no-portable] [--video-copies] [--wait] [--retry-skipped] [--json] [--open]"),
            QT_TRANSLATE_NOOP("Cli", "Build the wall of SOURCE, show its progress, and add it to Your walls."),
            buildCommand},
    Command{"walls", "[--json]", QT_TRANSLATE_NOOP("Cli", "List the walls built recently, newest first."), wallsCommand},
};

void printHelp(std::FILE* to)
{
    print(to, Cli::tr("Usage: kestova-cli COMMAND [ARGUMENTS]\n\n"
                      "Kestova turns every photo in a folder into one scrollable wall: a web page that\n"
                      "opens in your browser and works without Kestova.\n\nCommands:\n"));
    for (const auto& command : commands)
        printLine(to, QStringLiteral("  %1 %2\n      %3")
                          .arg(QString::fromUtf8(command.name), Cli::tr(command.usage), Cli::tr(command.summary)));
    print(to, Cli::tr("\nkestova-cli COMMAND --help shows what a command does and its options.\n"
                      "kestova-cli --version shows the version.\n"));
    print(to, HelpText::ending(
        {
            {ExitStatus::ok, QT_TRANSLATE_NOOP("HelpText", "success")},
            {ExitStatus::failed, QT_TRANSLATE_NOOP("HelpText", "the command failed; the message says why")},
            {ExitStatus::usage, QT_TRANSLATE_NOOP("HelpText", "the command line is wrong, or SOURCE is not a folder")},
            {ExitStatus::wallInUse, QT_TRANSLATE_NOOP("HelpText", "build: another Kestova is writing the same wall")},
            {ExitStatus::hungUp, QT_TRANSLATE_NOOP("HelpText", "build: stopped by SIGHUP")},
            {ExitStatus::interrupted, QT_TRANSLATE_NOOP("HelpText", "build: stopped with Ctrl-C, the photos done so far kept as a wall")},
            {ExitStatus::terminated, QT_TRANSLATE_NOOP("HelpText", "build: stopped by SIGTERM")},
        },
        {"kestova-cli build ~/Pictures/Holiday",
         "kestova-cli build /media/ana/PHONE --out ~/Walls/Phone --title \"Ana's phone\"",
         "kestova-cli walls"}));
}

} // namespace

int main(int argc, char* argv[])
{
    surviveClosedOutput();
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Kestova");
    QCoreApplication::setApplicationName("Kestova");
    const Translations translations;

    if (argc < 2) {
        printHelp(stderr);
        return ExitStatus::usage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printHelp(stdout);
        return ExitStatus::ok;
    }
    if (name == "--version") {
        print(stdout, ProgramVersion::line(QStringLiteral("kestova-cli")) + QLatin1Char('\n'));
        return ExitStatus::ok;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& command : commands) {
        if (name == command.name)
            return command.run(args);
    }
    printLine(stderr, Cli::tr("kestova-cli: unknown command \"%1\". Try kestova-cli --help.").arg(QString::fromLocal8Bit(name)));
    return ExitStatus::usage;
}
