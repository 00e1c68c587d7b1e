// Shared helpers of the model tests.
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace TestSupport {

void clearSettings()
{
    auto store = settings();
    store.clear();
    store.sync();
}

Folder::Folder() : dir(home() + QStringLiteral("/folder-XXXXXX"))
{
    EXPECT_TRUE(dir.isValid());
}

fs::path sharedPhoto(const std::string& relative)
{
    return fs::path(KESTOVA_SHARED_PHOTOS) / relative;
}

void copyPhotos(const fs::path& dest, const std::vector<std::pair<std::string, std::string>>& namesAndSources)
{
    for (const auto& [name, source] : namesAndSources) {
        const fs::path target = dest / name;
        fs::create_directories(target.parent_path());
        fs::copy_file(sharedPhoto(source), target, fs::copy_options::overwrite_existing);
    }
}

void makeLongWalk(const fs::path& dest, int folders, int filesPerFolder)
{
    for (int f = 0; f < folders; ++f) {
        const fs::path folder = dest / ("roll " + std::to_string(f));
        fs::create_directories(folder);
        for (int i = 0; i < filesPerFolder; ++i)
            std::ofstream(folder / ("IMG_" + std::to_string(i) + ".jpg"));
    }
}

bool waitFor(const std::function<bool()>& done, int milliseconds)
{
    return QTest::qWaitFor(done, milliseconds);
}

bool waitForRunEnd(Model& model, int milliseconds)
{
    return waitFor([&] { return model.stage() != Model::Stage::running; }, milliseconds);
}

TestModel::TestModel()
{
    auto recording = std::make_unique<RecordingActions>();
    actions = recording.get();
    model.installActions(std::move(recording));
}

} // namespace TestSupport
