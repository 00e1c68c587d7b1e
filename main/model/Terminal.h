// Writing text to a terminal or a pipe, for both programs.
#pragma once

#include <QString>

#include <cstdio>

/// Writes text as UTF-8; path text (model/PathText.h) gets its own bytes back, so a name that
/// is not UTF-8 reaches the terminal as the bytes the user's file system holds. Once a write
/// to `to` has failed (a closed pipe, a terminal gone), nothing more is written to it.
void print(std::FILE* to, const QString& text);
void printLine(std::FILE* to, const QString& text);

/// Keeps the program running when its output is a pipe that was closed (`| head`, a `| tee`
/// whose terminal went away): a write then fails instead of killing the process by SIGPIPE
/// with its run unsaved and its wall's lock file left behind. Call once, first thing in main.
void surviveClosedOutput();
