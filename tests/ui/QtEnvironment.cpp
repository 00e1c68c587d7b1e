// One QApplication for every test of the window, on the offscreen platform, in US English, with
// settings and home in a temporary folder.
#include "model/Translations.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestova-ui-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        home = pattern;
        std::filesystem::create_directories(home / "config");
        // Before anything reads them: QSettings keeps its folder, ICU its locale, once known.
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("LC_ALL", "en_US.UTF-8", 1);
        setenv("LANG", "en_US.UTF-8", 1);
        app = std::make_unique<QApplication>(argc, argv);
        translations = std::make_unique<Translations>();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void TearDown() override
    {
        translations.reset();
        app.reset();
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    }

private:
    int argc = 1;
    char name[16] = "kestova-ui-test";
    char* argv[2] = {name, nullptr};
    std::filesystem::path home;
    std::unique_ptr<QApplication> app;
    std::unique_ptr<Translations> translations;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
