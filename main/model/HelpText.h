// The parts of the programs' --help that every command shares: exit statuses and examples.
#pragma once

#include <QString>

#include <initializer_list>

namespace HelpText {

/// One exit status and what it means; `meaning` is the English source text, looked up in the
/// "HelpText" translation context (mark it with QT_TRANSLATE_NOOP("HelpText", …)).
struct ExitMeaning {
    int status;
    const char* meaning;
};

/// "Exit status:" and one aligned line per status, ending in a newline; a meaning's further
/// lines are indented under its first.
QString exitStatuses(std::initializer_list<ExitMeaning> meanings);
/// "Example:" or "Examples:" and the command lines, indented, ending in a newline.
QString examples(std::initializer_list<const char*> commandLines);
/// The end of every --help: a blank line, the exit statuses, a blank line, the examples.
QString ending(std::initializer_list<ExitMeaning> meanings, std::initializer_list<const char*> commandLines);

} // namespace HelpText
