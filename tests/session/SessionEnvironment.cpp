// One application, one private bus and one fake desktop for every in-process session test.
#include "SessionEnvironment.h"

#include "model/Translations.h"

#include "TestHome.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

std::unique_ptr<TestHome> home;
std::unique_ptr<PrivateDesktop> desktop;

class SessionEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        home = std::make_unique<TestHome>("en_US.UTF-8");
        app = std::make_unique<QCoreApplication>(argc, argv);
        translations = std::make_unique<Translations>();
        desktop = std::make_unique<PrivateDesktop>(QStringList{QStringLiteral("login1"), QStringLiteral("notifications")});
        if (!desktop->ready())
            std::abort();
        // Before this process first touches a bus: Qt connects once and keeps the connection.
        const QByteArray address = desktop->address().toUtf8();
        setenv("DBUS_SESSION_BUS_ADDRESS", address.constData(), 1);
        setenv("DBUS_SYSTEM_BUS_ADDRESS", address.constData(), 1);
    }

    void TearDown() override
    {
        desktop.reset();
        translations.reset();
        app.reset();
        home.reset();
    }

private:
    int argc = 1;
    char name[24] = "kestova-session-test";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<Translations> translations;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new SessionEnvironment);

} // namespace

PrivateDesktop& sessionDesktop()
{
    return *desktop;
}

fs::path freshFolder(const std::string& name)
{
    const fs::path folder = home->path() / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void copyRealPhotos(const fs::path& folder, int count)
{
    const char* const sources[] = {"cameras/Canon_40D.jpg", "cameras/Sony_HDR-HC3.jpg", "cameras/Nikon_D70.jpg"};
    for (int i = 0; i < count; ++i)
        fs::copy_file(fs::path(KESTOVA_SHARED_PHOTOS) / sources[i % 3], folder / ("IMG_000" + std::to_string(i) + ".JPG"),
                      fs::copy_options::overwrite_existing);
}

void addJunkPhotos(const fs::path& folder, int count)
{
    fs::create_directories(folder / "junk");
    for (int i = 0; i < count; ++i)
        std::ofstream(folder / "junk" / ("DSC_" + std::to_string(i) + ".jpg")) << "not a photo";
}
