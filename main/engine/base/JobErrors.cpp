// The sentences of a run's failures, in English.
#include "engine/base/JobErrors.h"

#include <cstring>

namespace {

std::string english(const char* pattern, std::vector<std::string> values, int systemError)
{
    if (systemError != 0)
        values.emplace_back(std::strerror(systemError));
    return JobError::fill(pattern, values);
}

} // namespace

JobError::JobError(const char* pattern, std::vector<std::string> arguments, int systemError)
    : std::runtime_error(english(pattern, arguments, systemError)), _pattern(pattern),
      _arguments(std::move(arguments)), _systemError(systemError)
{
}

std::string JobError::fill(const std::string& pattern, const std::vector<std::string>& values)
{
    std::string text;
    text.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < values.size()) {
                text += values[index];
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}
