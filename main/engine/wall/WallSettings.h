// What a wall remembers of how it is made, so that an update without options makes it the same way.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

/// The wall's .settings.json: {"portable":true}. A later version may add fields; a reader takes
/// what it knows and the defaults for the rest.
struct WallSettings {
    /// The wall keeps a screen-size copy of every photo, so that it shows them all sharp where the
    /// originals cannot be found.
    bool portable = false;
    friend bool operator==(const WallSettings&, const WallSettings&) = default;

    /// The settings in the text; nothing when it is no JSON object of ours.
    static std::optional<WallSettings> parse(std::string_view text);
    std::string serialize() const;
    /// The wall's stored settings; the defaults when there are none or they cannot be read (an
    /// older wall, or one whose file was damaged).
    static WallSettings load(const std::filesystem::path& file);
};
