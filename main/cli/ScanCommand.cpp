// kestova-cli scan: the photos a wall of a folder would include, one JSON object per line.
#include "cli/Commands.h"

#include "engine/run/Indexer.h"
#include "engine/base/Json.h"
#include "model/FailureText.h"
#include "model/HelpText.h"
#include "model/Model.h"
#include "model/PathText.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace {

int usage(const QString& message)
{
    printLine(stderr, QStringLiteral("kestova-cli scan: ") + message);
    printLine(stderr, Cli::tr("Usage: kestova-cli scan SOURCE [--out DIR]"));
    return ExitStatus::usage;
}

} // namespace

int scanCommand(const std::vector<std::string>& args)
{
    std::string source;
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out") {
            if (++i == args.size())
                return usage(Cli::tr("--out needs a folder."));
            out = args[i];
        } else if (args[i] == "--help" || args[i] == "-h") {
            printLine(stdout, Cli::tr("Usage: kestova-cli scan SOURCE [--out DIR]"));
            printLine(stdout, Cli::tr("Lists the photos a wall of SOURCE would include, one JSON object per line:\n"
                                      "{\"rel\": path inside SOURCE, \"size\": bytes, \"mtime\": seconds since 1970}.\n"
                                      "--out DIR names an output folder to leave out of the walk."));
            print(stdout, HelpText::ending(
                {
                    {ExitStatus::ok, QT_TRANSLATE_NOOP("HelpText", "success")},
                    {ExitStatus::failed, QT_TRANSLATE_NOOP("HelpText", "the list could not be written in full")},
                    {ExitStatus::usage, QT_TRANSLATE_NOOP("HelpText", "the command line is wrong, or SOURCE is not a folder")},
                },
                {"kestova-cli scan ~/Pictures | wc -l"}));
            return ExitStatus::ok;
        } else if (source.empty()) {
            source = args[i];
        } else {
            return usage(Cli::tr("give one SOURCE folder."));
        }
    }
    if (source.empty())
        return usage(Cli::tr("give a SOURCE folder."));

    struct stat st{};
    if (stat(source.c_str(), &st) != 0) {
        const int error = errno;
        printLine(stderr, Cli::tr("kestova-cli scan: can't find \"%1\": %2.")
                              .arg(PathText::fromBytes(source), FailureText::systemReason(error)));
        return ExitStatus::usage;
    }
    if (!S_ISDIR(st.st_mode)) {
        printLine(stderr, Cli::tr("kestova-cli scan: \"%1\" is not a folder. Kestova works on folders and drives.")
                              .arg(PathText::fromBytes(source)));
        return ExitStatus::usage;
    }

    const std::filesystem::path root = std::filesystem::absolute(source).lexically_normal();
    // The folder a build would write to, so that the list leaves out what that build would.
    const std::filesystem::path outDir = out.empty() ? Model::galleryDir(root, Model::title(root)) : std::filesystem::absolute(out);
    Indexer job(root, outDir, "", false, nullptr);
    std::string line;
    for (const FileEntry& entry : scan(job.walkSettings())) {
        line.clear();
        line += "{\"rel\":";
        Json::appendString(line, entry.rel);
        line += ",\"size\":";
        Json::appendInt(line, entry.size);
        line += ",\"mtime\":";
        Json::appendInt(line, entry.mtime);
        line += "}\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? ExitStatus::ok : ExitStatus::failed;
}
