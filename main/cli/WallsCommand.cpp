// kestova-cli walls: the walls in Your walls, newest first.
#include "cli/Commands.h"

#include "model/HelpText.h"
#include "model/Model.h"
#include "model/PathText.h"
#include "model/RecentsJson.h"
#include "model/Recent.h"

#include <cstdio>

namespace {

QString usageText()
{
    return Cli::tr("Usage: kestova-cli walls [--json]");
}

} // namespace

int wallsCommand(const std::vector<std::string>& args)
{
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (arg == "--help" || arg == "-h") {
            printLine(stdout, usageText());
            printLine(stdout, Cli::tr("Lists the walls built recently, newest first: title, photos, when updated, whether a\n"
                                      "stop left it unfinished, the source folder and the wall's index.html. --json prints\n"
                                      "them as one JSON array of objects {\"root\", \"gallery\", \"title\", \"photos\",\n"
                                      "\"updated\" (seconds since 2001-01-01 UTC)}, with \"videos\" when the wall has videos\n"
                                      "and \"toDo\" (the photos still to do) when it is unfinished."));
            print(stdout, HelpText::ending(
                {
                    {ExitStatus::ok, QT_TRANSLATE_NOOP("HelpText", "success, also when there are no walls yet")},
                    {ExitStatus::usage, QT_TRANSLATE_NOOP("HelpText", "the command line is wrong")},
                },
                {"kestova-cli walls --json"}));
            return ExitStatus::ok;
        } else {
            printLine(stderr, Cli::tr("kestova-cli walls: unknown argument \"%1\".").arg(PathText::fromBytes(arg)));
            printLine(stderr, usageText());
            return ExitStatus::usage;
        }
    }

    const QList<Recent> recents = Model::shared().recents();
    if (json) {
        std::puts(RecentsJson::encode(recents).c_str());
        return ExitStatus::ok;
    }
    if (recents.isEmpty()) {
        printLine(stdout, Cli::tr("No walls yet. Build one with: kestova-cli build SOURCE"));
        return ExitStatus::ok;
    }
    const QDateTime now = QDateTime::currentDateTime();
    bool first = true;
    for (const Recent& recent : recents) {
        if (!first)
            std::fputc('\n', stdout);
        first = false;
        printLine(stdout, recent.title);
        printLine(stdout, QStringLiteral("  ") + RecentText::caption(recent, now));
        if (const QString mark = RecentText::unfinished(recent); !mark.isEmpty())
            printLine(stdout, QStringLiteral("  ") + mark);
        printLine(stdout, Cli::tr("  source: %1").arg(recent.root));
        printLine(stdout, Cli::tr("  wall:   %1").arg(recent.gallery));
    }
    return ExitStatus::ok;
}
