// One source folder and one wall folder for the whole of a fuzzing process.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

struct FuzzPlace {
    std::filesystem::path root;
    FuzzPlace()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestova-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        root = pattern;
        std::filesystem::create_directories(root / "src");
        std::filesystem::create_directories(root / "wall/thumbs");
    }
    ~FuzzPlace()
    {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
};
