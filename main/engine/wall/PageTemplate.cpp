// Finding the page template installed with the program.
#include "engine/wall/PageTemplate.h"

#include "engine/base/BesideProgram.h"

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace PageTemplate {

fs::path find()
{
    const std::vector<fs::path> candidates = BesideProgram::places("template.html", KESTOVA_DATA_FROM_BIN);
    if (candidates.empty())
        return {}; // reading it fails, with the missing-template message
    std::error_code ec;
    for (const auto& candidate : candidates) {
        if (fs::is_regular_file(candidate, ec))
            return candidate.lexically_normal();
    }
    return candidates.front();
}

} // namespace PageTemplate
