// kestova-cli walls: the walls in Your walls, newest first.
#include "cli/Commands.h"

#include "model/HelpText.h"
#include "model/Model.h"
#include "model/PathText.h"
#include "model/RecentsJson.h"
#include "model/TextFormat.h"

#include <cstdio>

namespace {

const char* const usageText = "Usage: kestova-cli walls [--json]\n";

void printLine(const QString& text)
{
    const std::string bytes = PathText::toBytes(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fputc('\n', stdout);
}

} // namespace

int wallsCommand(const std::vector<std::string>& args)
{
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(usageText, stdout);
            std::fputs("Lists the walls built recently, newest first: title, photos, when updated, the source\n"
                       "folder and the wall's index.html. --json prints them as one JSON array of objects\n"
                       "{\"root\", \"gallery\", \"title\", \"photos\", \"updated\" (seconds since 2001-01-01 UTC)}.\n",
                       stdout);
            std::fputc('\n', stdout);
            HelpText::print(stdout, HelpText::exitStatuses({
                {ExitStatus::ok, QT_TRANSLATE_NOOP("HelpText", "success, also when there are no walls yet")},
                {ExitStatus::usage, QT_TRANSLATE_NOOP("HelpText", "the command line is wrong")},
            }));
            std::fputc('\n', stdout);
            HelpText::print(stdout, HelpText::examples({"kestova-cli walls --json"}));
            return ExitStatus::ok;
        } else {
            std::fprintf(stderr, "kestova-cli walls: unknown argument \"%s\".\n%s", arg.c_str(), usageText);
            return ExitStatus::usage;
        }
    }

    const QList<Recent> recents = Model::shared().recents();
    if (json) {
        std::puts(RecentsJson::encode(recents).c_str());
        return ExitStatus::ok;
    }
    if (recents.isEmpty()) {
        std::puts("No walls yet. Build one with: kestova-cli build SOURCE");
        return ExitStatus::ok;
    }
    const QDateTime now = QDateTime::currentDateTime();
    bool first = true;
    for (const Recent& recent : recents) {
        if (!first)
            std::fputc('\n', stdout);
        first = false;
        printLine(recent.title);
        printLine(QStringLiteral("  ") + wallContents(recent.photos, recent.videos)
                  + QStringLiteral(" · updated ") + TextFormat::relativeDate(recent.updated, now));
        printLine(QStringLiteral("  source: ") + recent.root);
        printLine(QStringLiteral("  wall:   ") + recent.gallery);
    }
    return ExitStatus::ok;
}
