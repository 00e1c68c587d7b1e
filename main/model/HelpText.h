// The parts of the programs' --help that every command shares: exit statuses and examples.
#pragma once

#include <QString>

#include <cstdio>
#include <initializer_list>

namespace HelpText {

/// One exit status and what it means; `meaning` is the English source text, looked up in the
/// "HelpText" translation context (mark it with QT_TRANSLATE_NOOP("HelpText", …)).
struct ExitMeaning {
    int status;
    const char* meaning;
};

/// "Exit status:" and one aligned line per status, ending in a newline.
QString exitStatuses(std::initializer_list<ExitMeaning> meanings);
/// "Example:" or "Examples:" and the command lines, indented, ending in a newline.
QString examples(std::initializer_list<const char*> commandLines);

/// Writes text to a C stream as UTF-8.
void print(std::FILE* to, const QString& text);

} // namespace HelpText
