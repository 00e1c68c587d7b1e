// Writing text to a terminal or a pipe, for both programs.
#pragma once

#include <QString>

#include <cstdio>

/// Writes text as UTF-8; path text (model/PathText.h) gets its own bytes back, so a name that
/// is not UTF-8 reaches the terminal as the bytes the user's file system holds.
void print(std::FILE* to, const QString& text);
void printLine(std::FILE* to, const QString& text);
