// Where a program of ours looks for the files installed with it: only places relative to the
// program itself, so that an installation can be moved and no build leaves its own folders
// compiled into the program.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace BesideProgram {

/// `name` beside the running program (the build tree copies files there), then in
/// `installedFromProgram` (a folder relative to the program's, such as "../share/kestova").
/// Empty when the program's own path cannot be read.
inline std::vector<std::filesystem::path> places(std::string_view name, std::string_view installedFromProgram)
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return {exe.parent_path() / name, exe.parent_path() / installedFromProgram / name};
}

} // namespace BesideProgram
