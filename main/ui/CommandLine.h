// What the window's program makes of its command line.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace CommandLine {

enum class Request { window, help, version };

/// --help or --version anywhere before "--" asks for a text instead of the window. Looks at the
/// raw arguments, so that it needs no display.
Request request(int argc, char** argv);

/// What `kestova --help` prints.
QString helpText();

/// The folders to open, as raw path bytes, from the arguments the application has left (its
/// own options taken out); "--" ends the options, so a folder may begin with "-".
struct Folders {
    QList<QByteArray> folders;
    QString error; ///< an option this program does not know; empty when all is well
};
Folders folders(int argc, char** argv);

} // namespace CommandLine
