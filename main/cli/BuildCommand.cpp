// kestova-cli build: one wall from a terminal, through the same model as the window.
#include "cli/Commands.h"

#include "engine/base/Json.h"
#include "model/HelpText.h"
#include "model/Model.h"
#include "model/ResultText.h"
#include "model/PathText.h"
#include "model/StopSignals.h"
#include "model/TextFormat.h"
#include "session/RunSession.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>

namespace fs = std::filesystem;

namespace {

QString usageText()
{
    return Cli::tr("Usage: kestova-cli build SOURCE [--out DIR] [--title TEXT] [--no-dedupe] [--previews] [--portable] [--no-portable] [--video-copies] [--wait] [--retry-skipped] [--json] [--open]\n");
}

QString helpText()
{
    return Cli::tr("Builds the wall of every photo in SOURCE and adds it to Your walls.\n"
                   "  --out DIR     write the wall into DIR instead of SOURCE/_Photo Gallery\n"
                   "                (or Pictures/Kestova when SOURCE is read-only)\n"
                   "  --title TEXT  the wall's title instead of the folder's name\n"
                   "  --no-dedupe   show duplicate copies on this wall (the saved setting is unchanged)\n"
                   "  --previews    also make the large previews that a wall built before them lacks (this\n"
                   "                decodes each HEIC, TIFF and raw photo again)\n"
                   "  --portable    make the wall portable: it keeps a screen-size copy of every photo, so\n"
                   "                that copied away from the photos it still shows each one sharp; the wall\n"
                   "                remembers it, and its updates add the copies of new photos\n"
                   "  --no-portable new photos of this wall get no copies; those it has are kept\n"
                   "  --video-copies  make a playable copy of every video the browser cannot play, not only\n"
                   "                of live photos and videos under 30 seconds (a copy takes up to as long\n"
                   "                as its video plays)\n"
                   "  --wait        when another Kestova is writing the same wall, wait for it to finish\n"
                   "                (without it the build does not start and exits with status 75)\n"
                   "  --retry-skipped  try again the photos passed over because they crashed a decoder\n"
                   "  --json        print the result as one JSON object on one line\n"
                   "  --open        open the finished wall in the web browser\n"
                   "Ctrl-C, SIGTERM and SIGHUP stop: while looking for photos nothing is written; later the\n"
                   "photos done so far make a wall that the next build finishes, and the exit status is 128\n"
                   "plus the signal's number (130, 143, 129). A second signal ends at once.\n");
}

void printHelpEnd()
{
    print(stdout, HelpText::ending(
        {
            {ExitStatus::ok, QT_TRANSLATE_NOOP("HelpText", "the wall was written whole")},
            {ExitStatus::failed, QT_TRANSLATE_NOOP("HelpText", "the run failed; the message says why")},
            {ExitStatus::usage, QT_TRANSLATE_NOOP("HelpText", "the command line is wrong, or SOURCE is not a folder")},
            {ExitStatus::wallInUse, QT_TRANSLATE_NOOP("HelpText", "another Kestova is writing the same wall; nothing was started")},
            {ExitStatus::hungUp, QT_TRANSLATE_NOOP("HelpText", "stopped by SIGHUP, as by Ctrl-C")},
            {ExitStatus::interrupted, QT_TRANSLATE_NOOP("HelpText", "stopped with Ctrl-C: the photos done so far make a wall that the next\n"
                                                                     "build finishes; while looking for photos, nothing was written")},
            {ExitStatus::terminated, QT_TRANSLATE_NOOP("HelpText", "stopped by SIGTERM, as by Ctrl-C")},
        },
        {"kestova-cli build ~/Pictures/Holiday --title \"Holiday 2024\" --open"}));
}

int usage(const QString& message)
{
    printLine(stderr, QStringLiteral("kestova-cli build: ") + message);
    print(stderr, usageText());
    return ExitStatus::usage;
}

/// The shell's status for a run ended by a signal: 128 plus its number, whether or not the
/// photos done so far made a wall.
int statusFor(int signal)
{
    return signal ? 128 + signal : ExitStatus::interrupted;
}

/// The desktop of a terminal: a wall to open is kept to be printed after the result, or handed
/// to xdg-open with --open.
class ConsoleActions : public PlatformActions {
public:
    explicit ConsoleActions(bool openInBrowser) : openInBrowser(openInBrowser) {}

    QStringList toPrint;

    std::optional<QString> chooseFolder(const QString&, const QString&) override { return std::nullopt; }
    void openFile(const QString& path) override
    {
        if (!openInBrowser || !QProcess::startDetached(QStringLiteral("xdg-open"), {path}))
            toPrint.append(path);
    }
    /// No application takes an address here; it is printed for the user.
    bool openUrl(const QUrl& url) override
    {
        toPrint.append(url.toString());
        return false;
    }
    void revealFile(const QString& path) override { toPrint.append(path); }
    void copyText(const QString& text) override { toPrint.append(text); }
    void showAlert(const QString& title, const QString& text) override
    {
        printLine(stderr, title + QStringLiteral(": ") + text);
    }

private:
    bool openInBrowser;
};

/// The progress line, drawn as each report arrives: redrawn in place on a terminal, else a
/// plain line at most once a second, so that a log is not flooded.
class ProgressLine {
public:
    explicit ProgressLine(Model& model)
        : model(model), terminal(isatty(STDERR_FILENO) == 1), spacingMs(terminal ? 0 : 1000)
    {
        QObject::connect(&model, &Model::progressChanged, &context, [this] { report(); });
        // A report that comes too soon after the last line is drawn when the wait is over, so
        // the line ends up saying what the run said last.
        late.setSingleShot(true);
        QObject::connect(&late, &QTimer::timeout, &context, [this] { draw(); });
    }

    void report()
    {
        if (late.isActive())
            return;
        const qint64 wait = sinceDrawn.isValid() ? spacingMs - sinceDrawn.elapsed() : 0;
        if (wait > 0)
            late.start(static_cast<int>(wait));
        else
            draw();
    }

    void draw()
    {
        const RunProgress progress = model.progress();
        const QString line = progress.detail.isEmpty() ? progress.status : progress.status + QStringLiteral("  ") + progress.detail;
        if (line == last)
            return;
        last = line;
        sinceDrawn.start();
        if (!terminal) {
            printLine(stderr, line);
            return;
        }
        // Cut to the terminal's width so the line never wraps and can be redrawn.
        QString shown = line;
        winsize size{};
        if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && shown.size() >= size.ws_col)
            shown = shown.left(size.ws_col - 2) + QStringLiteral("…");
        std::fputs("\r\033[K", stderr);
        print(stderr, shown);
        std::fflush(stderr);
    }

    /// The run has ended: what follows takes the line's place, and a line still waiting is not
    /// drawn.
    void clear()
    {
        late.stop();
        if (terminal && !last.isEmpty())
            std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }

private:
    Model& model;
    bool terminal;
    qint64 spacingMs; ///< the least time between two lines
    QString last;
    QElapsedTimer sinceDrawn;
    QTimer late;
    QObject context; ///< ends the connections with this line
};

/// The result in the words of the result screen.
void printResult(const JobSummary& s, const QString& title)
{
    const ResultText text = ResultText::of(s, title, ResultText::Finish::buildAgain);
    printLine(stdout, text.headline);
    for (const QString& line : text.details)
        printLine(stdout, line);
    if (text.hasWall)
        printLine(stdout, text.savedAt);
    for (const QString& line : ResultText::unreadableList(s))
        printLine(stdout, line);
    for (const QString& line : ResultText::noCopyList(s))
        printLine(stdout, line);
}

/// `,"NAME":{path: code,…}` for files with why, then `,"MESSAGES":{path: message,…}` for those
/// whose decoder said something; nothing for an empty list.
void appendReasons(std::string& out, const char* name, const char* messages, const std::vector<UnreadablePhoto>& files)
{
    if (files.empty())
        return;
    const auto appendMap = [&out, &files](const char* key, auto valueOf) {
        out += ",\"";
        out += key;
        out += "\":{";
        bool first = true;
        for (const UnreadablePhoto& file : files) {
            const std::string value = valueOf(file);
            if (value.empty())
                continue;
            if (!first)
                out += ',';
            first = false;
            Json::appendString(out, file.rel);
            out += ':';
            Json::appendString(out, value);
        }
        out += '}';
    };
    appendMap(name, [](const UnreadablePhoto& file) { return std::string(code(file.why)); });
    // Said only when a decoder said something, so that a result without words stays as it was.
    if (std::any_of(files.begin(), files.end(), [](const UnreadablePhoto& file) { return !file.message.empty(); }))
        appendMap(messages, [](const UnreadablePhoto& file) { return file.message; });
}

std::string summaryJson(const JobSummary& s)
{
    std::string out = "{\"photos\":";
    Json::appendInt(out, s.photos);
    if (s.videos > 0) {
        out += ",\"videos\":";
        Json::appendInt(out, s.videos);
    }
    out += ",\"found\":";
    Json::appendInt(out, s.found);
    out += ",\"duplicates\":";
    Json::appendInt(out, s.duplicates);
    out += ",\"unreadable\":";
    Json::appendInt(out, s.unreadable);
    const auto appendNames = [&out](const char* name, const std::vector<std::string>& names) {
        out += ",\"";
        out += name;
        out += "\":[";
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (i)
                out += ',';
            Json::appendString(out, names[i]);
        }
        out += ']';
    };
    std::vector<std::string> unreadableNames;
    for (const UnreadablePhoto& photo : s.unreadableFiles)
        unreadableNames.push_back(photo.rel);
    appendNames("unreadableFiles", unreadableNames);
    out += ",\"undated\":";
    Json::appendInt(out, s.undated);
    if (s.undatedVideos > 0) {
        out += ",\"undatedVideos\":";
        Json::appendInt(out, s.undatedVideos);
    }
    if (s.rawPairs > 0) {
        out += ",\"rawPairs\":";
        Json::appendInt(out, s.rawPairs);
    }
    out += ",\"gallery\":";
    Json::appendString(out, s.gallery.native());
    if (s.unfinished()) {
        out += ",\"toDo\":";
        Json::appendInt(out, s.toDo);
    }
    out += ",\"partial\":";
    out += s.partial ? "true" : "false";
    // Said only when there is something to say, so that the usual result stays as it was.
    if (s.changed > 0) {
        out += ",\"changed\":";
        Json::appendInt(out, s.changed);
    }
    if (s.tooLong > 0) {
        out += ",\"tooLong\":";
        Json::appendInt(out, s.tooLong);
    }
    if (!s.passedOver.empty())
        appendNames("passedOver", s.passedOver);
    if (!s.tookTooLong.empty())
        appendNames("tookTooLong", s.tookTooLong);
    // Why each of "unreadableFiles" couldn't be read, by its name, and what its decoder said.
    appendReasons(out, "unreadableReasons", "unreadableMessages", s.unreadableFiles);
    if (!s.unreadableFolders.empty())
        appendNames("unreadableFolders", s.unreadableFolders);
    if (s.videoCopies > 0) {
        out += ",\"videoCopies\":";
        Json::appendInt(out, s.videoCopies);
    }
    // The videos that got no playable copy, with why, by name, and what FFmpeg said.
    appendReasons(out, "noCopy", "noCopyMessages", s.noCopy);
    if (s.copiesToDo > 0) {
        out += ",\"copiesToDo\":";
        Json::appendInt(out, s.copiesToDo);
    }
    out += '}';
    return out;
}

} // namespace

int buildCommand(const std::vector<std::string>& args)
{
    std::string source;
    bool haveSource = false;
    RunOptions options;
    bool json = false;
    bool openInBrowser = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--out") {
            if (++i == args.size() || args[i].empty())
                return usage(Cli::tr("--out needs a folder."));
            options.out = fs::path(args[i]);
        } else if (arg == "--title") {
            if (++i == args.size() || args[i].empty())
                return usage(Cli::tr("--title needs a text."));
            options.title = PathText::fromBytes(args[i]);
        } else if (arg == "--no-dedupe") {
            options.dedupe = false;
        } else if (arg == "--previews") {
            options.fillPreviews = true;
        } else if (arg == "--portable") {
            options.portable = true;
        } else if (arg == "--no-portable") {
            options.portable = false;
        } else if (arg == "--video-copies") {
            options.videoCopies = true;
        } else if (arg == "--wait") {
            options.waitForWall = true;
        } else if (arg == "--retry-skipped") {
            options.retryPassedOver = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--open") {
            openInBrowser = true;
        } else if (arg == "--help" || arg == "-h") {
            print(stdout, usageText());
            print(stdout, helpText());
            printHelpEnd();
            return ExitStatus::ok;
        } else if (arg.size() > 1 && arg.front() == '-' && arg != "--") {
            return usage(Cli::tr("unknown option \"%1\".").arg(PathText::fromBytes(arg)));
        } else if (!haveSource) {
            source = arg == "--" && i + 1 < args.size() ? args[++i] : arg;
            haveSource = true;
        } else {
            return usage(Cli::tr("give one SOURCE folder."));
        }
    }
    if (!haveSource || source.empty())
        return usage(Cli::tr("give a SOURCE folder."));

    Model& model = Model::shared();
    auto console = std::make_unique<ConsoleActions>(openInBrowser);
    ConsoleActions& actions = *console;
    model.installActions(std::move(console));

    auto signals = std::make_unique<StopSignals>();
    QObject::connect(signals.get(), &StopSignals::received, &model, [&model](int signal) {
        print(stderr, signal == SIGINT ? Cli::tr("\nStopping… Press Ctrl-C again to quit at once.\n")
                                       : Cli::tr("\nStopping… Another signal quits at once.\n"));
        model.cancel();
    });

    model.start(fs::path(source), options);
    if (model.stage() == Model::Stage::failed) {
        printLine(stderr, QStringLiteral("kestova-cli build: ") + model.error());
        return ExitStatus::usage;
    }

    {
        // A first build of a big library runs for hours: the computer stays awake meanwhile.
        RunSession session(model);
        ProgressLine progress(model);
        progress.draw();
        QEventLoop loop;
        QObject::connect(&model, &Model::stageChanged, &loop, [&](Model::Stage stage) {
            if (stage != Model::Stage::running)
                loop.quit();
        });
        if (model.stage() == Model::Stage::running)
            loop.exec();
        progress.clear();
    }
    const int stoppedBy = signals->first();
    signals.reset();

    switch (model.stage()) {
    case Model::Stage::done: {
        const JobSummary summary = *model.summary();
        if (json) {
            std::puts(summaryJson(summary).c_str());
        } else {
            printResult(summary, model.currentTitle());
            for (const QString& path : std::as_const(actions.toPrint))
                printLine(stdout, path);
        }
        // A wall cut short by a signal is no success for whoever sent it.
        return summary.partial && stoppedBy ? statusFor(stoppedBy) : ExitStatus::ok;
    }
    case Model::Stage::failed:
        printLine(stderr, QStringLiteral("kestova-cli build: ") + model.error());
        return model.failure() == Model::Failure::wallInUse ? ExitStatus::wallInUse : ExitStatus::failed;
    default:
        printLine(stderr, Cli::tr("Stopped while looking for photos. No wall was written."));
        return statusFor(stoppedBy);
    }
}
