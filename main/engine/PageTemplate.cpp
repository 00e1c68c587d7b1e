// Finding the page template installed with the program.
#include "engine/internal/PageTemplate.h"

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace PageTemplate {

fs::path find()
{
    // Only places relative to the program, so that an installation can be moved and no build
    // leaves its own folders compiled into the program: beside it (the build tree copies the
    // template there), then the share folder of <prefix> for a program in <prefix>/bin.
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {}; // reading it fails, with the missing-template message
    const std::vector<fs::path> candidates{exe.parent_path() / "template.html",
                                           exe.parent_path() / KESTOVA_DATA_FROM_BIN / "template.html"};
    for (const auto& candidate : candidates) {
        if (fs::is_regular_file(candidate, ec))
            return candidate.lexically_normal();
    }
    return candidates.front();
}

} // namespace PageTemplate
