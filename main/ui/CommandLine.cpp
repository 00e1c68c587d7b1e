// The window's command line: a folder to open, or a question answered in the terminal.
#include "ui/CommandLine.h"

#include "model/HelpText.h"

#include <QCoreApplication>

#include <cstring>

namespace CommandLine {

Request request(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Request::help;
        if (std::strcmp(argv[i], "--version") == 0)
            return Request::version;
    }
    return Request::window;
}

QString helpText()
{
    QString text = QCoreApplication::translate("CommandLine",
                                               "Usage: kestova [FOLDER]\n"
                                               "\n"
                                               "Opens the Kestova window. With FOLDER, builds the wall of every photo in it at\n"
                                               "once; when Kestova is already open, that window takes the folder.\n"
                                               "\n"
                                               "  --help      show this text\n"
                                               "  --version   show the version\n"
                                               "  --          end of options: a FOLDER after it may begin with \"-\"\n"
                                               "\n"
                                               "kestova-cli does the same from a terminal.\n");
    text += HelpText::ending(
        {
            {0, QT_TRANSLATE_NOOP("HelpText", "the window was closed, or the open window took FOLDER")},
            {2, QT_TRANSLATE_NOOP("HelpText", "the command line is wrong")},
        },
        {"kestova ~/Pictures"});
    return text;
}

Folders folders(int argc, char** argv)
{
    Folders result;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (options && arg == "--") {
            options = false;
            continue;
        }
        // A file manager hands over absolute paths, so a folder never looks like an option.
        if (options && arg.startsWith('-') && arg.size() > 1) {
            //: %1 is the option as typed.
            result.error = QCoreApplication::translate("CommandLine", "kestova: unknown option \"%1\". Try kestova --help.")
                               .arg(QString::fromLocal8Bit(arg));
            return result;
        }
        result.folders << arg;
    }
    return result;
}

} // namespace CommandLine
