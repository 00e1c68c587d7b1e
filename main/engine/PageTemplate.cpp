// Finding the page template installed with the program.
#include "engine/internal/PageTemplate.h"

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace PageTemplate {

fs::path find()
{
    // 1. beside the program (the build tree copies it there); 2. the installed share folder
    // relative to the program, so a relocated install works; 3. the configured install prefix;
    // 4. the source tree the program was built from.
    std::vector<fs::path> candidates;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        candidates.push_back(exe.parent_path() / "template.html");
        candidates.push_back(exe.parent_path().parent_path() / "share" / "kestova" / "template.html");
    }
    candidates.emplace_back(fs::path(KESTOVA_DATA_DIR) / "template.html");
    candidates.emplace_back(fs::path(KESTOVA_SOURCE_RESOURCES) / "template.html");
    for (const auto& candidate : candidates) {
        if (fs::is_regular_file(candidate, ec))
            return candidate;
    }
    // Absent everywhere: run() fails with the missing-template message when it gets there.
    return candidates.front();
}

} // namespace PageTemplate
