// The wall's own settings file.
#include "engine/wall/WallSettings.h"

#include "engine/base/AtomicFile.h"

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<WallSettings> WallSettings::parse(std::string_view text)
{
    text = trimmed(text);
    if (text.size() < 2 || text.front() != '{' || text.back() != '}')
        return std::nullopt;
    WallSettings settings;
    // One flat object of names and plain values: the one field we know is looked for by its
    // name, and any other is left to the version that wrote it.
    constexpr std::string_view name = "\"portable\"";
    const auto at = text.find(name);
    if (at == std::string_view::npos)
        return settings;
    std::string_view rest = trimmed(text.substr(at + name.size()));
    if (rest.empty() || rest.front() != ':')
        return std::nullopt;
    rest = trimmed(rest.substr(1));
    if (rest.starts_with("true"))
        settings.portable = true;
    else if (!rest.starts_with("false"))
        return std::nullopt;
    return settings;
}

std::string WallSettings::serialize() const
{
    return std::string("{\"portable\":") + (portable ? "true" : "false") + "}\n";
}

WallSettings WallSettings::load(const std::filesystem::path& file)
{
    const auto text = AtomicFile::read(file);
    const auto settings = text ? parse(*text) : std::nullopt;
    return settings.value_or(WallSettings{});
}
