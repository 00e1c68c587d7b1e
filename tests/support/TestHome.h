// A private home for a whole test program: settings, runtime and data folders in a temporary
// folder, and the user's language. Made before Qt or ICU first read the environment: QSettings
// keeps its folder and ICU its locale once known.
#pragma once

#include "TempDir.h"

#include <cstdlib>
#include <filesystem>

class TestHome {
public:
    /// `locale` such as "en_US.UTF-8"; `language` the LANGUAGE list, or none.
    explicit TestHome(const char* locale, const char* language = nullptr)
    {
        std::filesystem::create_directories(dir / "config");
        setenv("HOME", dir.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
        setenv("LC_ALL", locale, 1);
        setenv("LANG", locale, 1);
        if (language)
            setenv("LANGUAGE", language, 1);
        else
            unsetenv("LANGUAGE");
    }

    const std::filesystem::path& path() const { return dir.path(); }

private:
    TempDir dir;
};
