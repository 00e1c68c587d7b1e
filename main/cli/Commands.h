// The commands of kestova-cli.
#pragma once

#include "model/Terminal.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <string>
#include <vector>

struct Command {
    const char* name;
    const char* usage;   ///< arguments after the command's name, in English; Cli::tr() translates it
    const char* summary; ///< one line for --help, in English; Cli::tr() translates it
    /// Arguments after the command's name, as the raw bytes the shell passed (paths need not be
    /// UTF-8); returns the exit status.
    int (*run)(const std::vector<std::string>& args);
};

/// The words kestova-cli prints, in the user's language.
struct Cli {
    Q_DECLARE_TR_FUNCTIONS(Cli)
};


int scanCommand(const std::vector<std::string>& args);
int buildCommand(const std::vector<std::string>& args);
int wallsCommand(const std::vector<std::string>& args);

/// Exit statuses shared by the commands.
namespace ExitStatus {
inline constexpr int ok = 0;
inline constexpr int failed = 1;
inline constexpr int usage = 2;
/// Another process is writing the wall (EX_TEMPFAIL: try again later).
inline constexpr int wallInUse = 75;
/// Stopped by a signal: 128 plus its number, as the shell reports a process the signal ended,
/// also when the photos done so far were written as a wall that the next build finishes.
inline constexpr int hungUp = 129;
inline constexpr int interrupted = 130;
inline constexpr int terminated = 143;
} // namespace ExitStatus
