// One QApplication for every test of the window, on the offscreen platform, in US English, with
// settings and home in a temporary folder.
#include "model/Translations.h"

#include "TestHome.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include <cstdlib>
#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        home = std::make_unique<TestHome>("en_US.UTF-8");
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app = std::make_unique<QApplication>(argc, argv);
        translations = std::make_unique<Translations>();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void TearDown() override
    {
        translations.reset();
        app.reset();
        home.reset();
    }

private:
    int argc = 1;
    char name[16] = "kestova-ui-test";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<TestHome> home;
    std::unique_ptr<QApplication> app;
    std::unique_ptr<Translations> translations;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
