// The model's stages and texts through whole runs of the real indexing job on real photos.
#include "TestSupport.h"

#include "model/PathText.h"
#include "model/RecentsJson.h"

#include <QSignalSpy>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace TestSupport;

namespace {

const char* const notAFolder = "Kestova works on folders and drives. Choose a folder rather than a single file.";

class ModelRun : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }

    /// A source with three real photos, one of them in a subfolder.
    static void threePhotos(const fs::path& root)
    {
        copyPhotos(root, {{"IMG_0001.JPG", "cameras/Canon_40D.jpg"},
                          {"IMG_0002.JPG", "cameras/Nikon_D70.jpg"},
                          {"2019/Trip/IMG_0003.JPG", "cameras/Pentax_K10D.jpg"}});
    }

    /// Enough 8-megapixel photos that a run is still making thumbnails when the test stops it.
    static void eightyPhotos(const fs::path& root)
    {
        std::vector<std::pair<std::string, std::string>> photos;
        for (int i = 0; i < 80; ++i)
            photos.emplace_back("IMG_" + std::to_string(1000 + i) + ".JPG", "cameras/iphone_hdr_NO.jpg");
        copyPhotos(root, photos);
    }

    /// Runs to the end and says whether it got there.
    static ::testing::AssertionResult runToEnd(Model& model, const fs::path& root)
    {
        model.start(root);
        if (model.stage() != Model::Stage::running)
            return ::testing::AssertionFailure() << "did not start: " << model.error().toStdString();
        if (!waitForRunEnd(model))
            return ::testing::AssertionFailure() << "still running";
        return ::testing::AssertionSuccess();
    }
};

QList<Model::Stage> stages(const QSignalSpy& spy)
{
    QList<Model::Stage> out;
    for (const auto& arguments : spy)
        out.append(arguments.at(0).value<Model::Stage>());
    return out;
}

TEST_F(ModelRun, StartOnSomethingThatIsNotAFolderFails)
{
    Folder folder;
    copyPhotos(folder.path(), {{"IMG_0001.JPG", "cameras/Canon_40D.jpg"}});
    const std::pair<fs::path, std::string> cases[] = {
        {folder.path() / "IMG_0001.JPG", notAFolder},
        // Nothing there: being told to choose a folder rather than a file would mislead.
        {folder.path() / "missing", (folder.path() / "missing").string() + " doesn't exist. Check the name, or connect the drive it is on."},
        {folder.path() / "IMG_0001.JPG/x", (folder.path() / "IMG_0001.JPG/x").string() + " doesn't exist. Check the name, or connect the drive it is on."},
    };
    for (const auto& [path, message] : cases) {
        TestModel t;
        QSignalSpy stageSpy(&t.model, &Model::stageChanged);
        t.model.start(path);
        EXPECT_EQ(stages(stageSpy), QList<Model::Stage>{Model::Stage::failed}); // never running
        EXPECT_EQ(t.model.error().toStdString(), message);
        EXPECT_TRUE(t.model.recents().isEmpty());
    }
    EXPECT_FALSE(fs::exists(folder.path() / "_Photo Gallery"));
}

TEST_F(ModelRun, FullRunTextsStagesListAndOpening)
{
    Folder folder;
    const fs::path root = folder.path() / "Holiday";
    threePhotos(root);
    TestModel t;
    QSignalSpy stageSpy(&t.model, &Model::stageChanged);
    QSignalSpy progressSpy(&t.model, &Model::progressChanged);

    // Given as the user might type it: the run works on the standardised root.
    t.model.start(folder.path() / "Holiday" / "2019" / ".." / "");
    EXPECT_EQ(t.model.stage(), Model::Stage::running);
    EXPECT_EQ(t.model.currentTitle().toStdString(), "Holiday");
    EXPECT_EQ(t.model.progress().status.toStdString(), "Looking for photos…");
    EXPECT_EQ(t.model.progress().detail, PathText::fromPath(root));
    EXPECT_EQ(t.model.progress().fraction, std::nullopt);
    EXPECT_EQ(t.model.summary(), std::nullopt);
    EXPECT_EQ(progressSpy.count(), 1); // the three fields at once

    // A second start during the run changes nothing, not even the texts.
    const qsizetype reportsBefore = progressSpy.count();
    t.model.start(folder.path());
    t.model.choose();
    EXPECT_EQ(progressSpy.count(), reportsBefore);
    EXPECT_EQ(t.actions->chooserShown, 0);

    ASSERT_TRUE(waitForRunEnd(t.model));
    ASSERT_EQ(t.model.stage(), Model::Stage::done) << t.model.error().toStdString();
    EXPECT_EQ(stages(stageSpy), (QList<Model::Stage>{Model::Stage::running, Model::Stage::done}));
    const JobSummary summary = *t.model.summary();
    EXPECT_EQ(summary.photos, 3);
    EXPECT_EQ(summary.gallery, root / "_Photo Gallery" / "index.html");
    EXPECT_FALSE(summary.partial);
    EXPECT_TRUE(fs::exists(summary.gallery));

    // Every report on the way read in its words; the first one counted from 0.
    QStringList details;
    for (const auto& arguments : progressSpy)
        details.append(arguments.at(0).value<RunProgress>().detail);
    EXPECT_TRUE(details.contains(QStringLiteral("0 found so far")));
    EXPECT_EQ(t.model.progress().status.toStdString(), "Building your wall…");
    EXPECT_EQ(t.model.progress().detail.toStdString(), "");

    ASSERT_EQ(t.model.recents().size(), 1);
    const Recent entry = t.model.recents().front();
    EXPECT_EQ(entry.root, PathText::fromPath(root));
    EXPECT_EQ(entry.gallery, PathText::fromPath(summary.gallery));
    EXPECT_EQ(entry.title.toStdString(), "Holiday");
    EXPECT_EQ(entry.photos, 3);
    EXPECT_LE(entry.updated.secsTo(QDateTime::currentDateTimeUtc()), 60);
    EXPECT_EQ(t.actions->opened, QStringList{entry.gallery});
    EXPECT_EQ(Model().recents(), t.model.recents()); // saved

    // The interface leaves the result screen; the summary stays.
    t.model.setStage(Model::Stage::idle);
    EXPECT_EQ(t.model.stage(), Model::Stage::idle);
    EXPECT_TRUE(t.model.summary().has_value());

    // Open and Update of the entry.
    t.model.open(entry);
    EXPECT_EQ(t.actions->opened.size(), 2);
    EXPECT_EQ(t.model.stage(), Model::Stage::idle);
    copyPhotos(root, {{"IMG_0004.JPG", "cameras/Sony_HDR-HC3.jpg"}});
    t.model.update(entry);
    ASSERT_TRUE(waitForRunEnd(t.model));
    ASSERT_EQ(t.model.stage(), Model::Stage::done);
    EXPECT_EQ(t.model.summary()->photos, 4);
    ASSERT_EQ(t.model.recents().size(), 1);
    EXPECT_EQ(t.model.recents().front().photos, 4);
    EXPECT_GE(t.model.recents().front().updated, entry.updated);
}

TEST_F(ModelRun, EmptySourceIsDoneAndListedButNotOpened)
{
    Folder folder;
    TestModel t;
    ASSERT_TRUE(runToEnd(t.model, folder.path()));
    ASSERT_EQ(t.model.stage(), Model::Stage::done);
    EXPECT_EQ(t.model.summary()->photos, 0);
    EXPECT_EQ(t.model.recents().size(), 1);
    EXPECT_TRUE(t.actions->opened.isEmpty());
}

TEST_F(ModelRun, ListKeepsOneEntryPerSourceAndTheEightNewest)
{
    Folder folder;
    TestModel t;
    std::vector<fs::path> sources;
    for (int i = 1; i <= 9; ++i) {
        sources.push_back(folder.path() / ("Card " + std::to_string(i)));
        fs::create_directories(sources.back());
        ASSERT_TRUE(runToEnd(t.model, sources.back()));
    }
    ASSERT_EQ(t.model.recents().size(), 8);
    EXPECT_EQ(t.model.recents().front().root, PathText::fromPath(sources[8]));
    EXPECT_EQ(t.model.recents().back().root, PathText::fromPath(sources[1])); // Card 1 is gone

    // Again on Card 5: it moves to the front, the others keep their order.
    ASSERT_TRUE(runToEnd(t.model, sources[4]));
    QStringList titles;
    for (const Recent& r : t.model.recents())
        titles.append(r.title);
    EXPECT_EQ(titles.join(QLatin1Char(',')).toStdString(), "Card 5,Card 9,Card 8,Card 7,Card 6,Card 4,Card 3,Card 2");
    EXPECT_EQ(Model().recents(), t.model.recents());
}

TEST_F(ModelRun, UnreadableStoredListIsReplacedByTheNextRun)
{
    {
        auto store = settings();
        store.setValue(QStringLiteral("recents"), QByteArray(R"([{"root":"/a","gallery":"g","title":"a","photos":3}])"));
    }
    Folder folder;
    TestModel t;
    EXPECT_TRUE(t.model.recents().isEmpty());
    ASSERT_TRUE(runToEnd(t.model, folder.path()));
    const auto stored = RecentsJson::decode(settings().value(QStringLiteral("recents")).toByteArray().toStdString());
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->size(), 1);
    EXPECT_EQ(stored->front().root, folder.text());
}

TEST_F(ModelRun, FailureLeavesTheListAlone)
{
    Folder folder;
    threePhotos(folder.path() / "src");
    TestModel t;
    ASSERT_TRUE(runToEnd(t.model, folder.path() / "src"));
    const QList<Recent> before = t.model.recents();

    // A file where the wall's folder should go: the job cannot create it.
    std::ofstream(folder.path() / "blocked");
    RunOptions options;
    options.out = folder.path() / "blocked";
    t.model.start(folder.path() / "src", options);
    ASSERT_TRUE(waitForRunEnd(t.model));
    EXPECT_EQ(t.model.stage(), Model::Stage::failed);
    EXPECT_TRUE(t.model.error().contains(QStringLiteral("blocked/thumbs"))) << t.model.error().toStdString();
    EXPECT_EQ(t.model.recents(), before);
    EXPECT_EQ(t.actions->opened.size(), 1); // only the first run's wall
    EXPECT_TRUE(t.model.summary() == std::nullopt);
}

TEST_F(ModelRun, StopDuringTheWalkReturnsToIdle)
{
    Folder folder;
    makeLongWalk(folder.path(), 200, 100); // 20,000 names: the stop lands long before the walk ends
    TestModel t;
    QSignalSpy stageSpy(&t.model, &Model::stageChanged);
    QSignalSpy progressSpy(&t.model, &Model::progressChanged);
    t.model.start(folder.path());
    t.model.cancel();
    EXPECT_EQ(t.model.progress().status.toStdString(), "Stopping…");
    ASSERT_TRUE(waitForRunEnd(t.model));
    EXPECT_EQ(stages(stageSpy), (QList<Model::Stage>{Model::Stage::running, Model::Stage::idle}));
    EXPECT_EQ(t.model.progress().status.toStdString(), "Stopping…"); // later reports were dropped
    QStringList statuses;
    for (const auto& arguments : progressSpy)
        statuses.append(arguments.at(0).value<RunProgress>().status);
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("Looking for photos…"), QStringLiteral("Stopping…")}));
    EXPECT_TRUE(t.model.summary() == std::nullopt);
    EXPECT_TRUE(t.model.recents().isEmpty());
    EXPECT_TRUE(t.model.error().isEmpty());
    EXPECT_FALSE(fs::exists(folder.path() / "_Photo Gallery" / "index.html"));
}

TEST_F(ModelRun, StopWhileMakingThumbnailsGivesAPartialWallThatIsListedNotOpened)
{
    Folder folder;
    eightyPhotos(folder.path());
    TestModel t;
    t.model.start(folder.path());
    // Stop at the first thumbnail report, as the user would from the progress screen.
    ASSERT_TRUE(waitFor([&] { return t.model.progress().status == QStringLiteral("Making thumbnails"); }));
    EXPECT_TRUE(t.model.progress().fraction.has_value());
    const RunProgress before = t.model.progress();
    QSignalSpy progressSpy(&t.model, &Model::progressChanged);
    t.model.cancel();
    t.model.cancel(); // a second Stop does the same again
    ASSERT_TRUE(waitForRunEnd(t.model));
    ASSERT_EQ(t.model.stage(), Model::Stage::done) << t.model.error().toStdString();
    ASSERT_EQ(progressSpy.count(), 1);
    EXPECT_EQ(t.model.progress().status.toStdString(), "Stopping…");
    // The count at the stop stays beside "Stopping…".
    EXPECT_EQ(t.model.progress().detail, before.detail);
    EXPECT_EQ(t.model.progress().fraction, before.fraction);
    EXPECT_TRUE(t.model.summary()->partial);
    EXPECT_LT(t.model.summary()->photos, 80);
    ASSERT_EQ(t.model.recents().size(), 1);
    EXPECT_EQ(t.model.recents().front().photos, t.model.summary()->photos);
    EXPECT_TRUE(t.actions->opened.isEmpty());
}

TEST_F(ModelRun, QuittingInTheMiddleOfARunSavesItAsStopDoes)
{
    Folder folder;
    eightyPhotos(folder.path());
    TestModel t;
    EXPECT_TRUE(t.model.stopRunBeforeQuitting(1000)) << "without a run there is nothing to wait for";
    t.model.start(folder.path());
    ASSERT_TRUE(waitFor([&] { return t.model.progress().status == QStringLiteral("Making thumbnails"); }));
    ASSERT_TRUE(t.model.stopRunBeforeQuitting(60000));
    ASSERT_EQ(t.model.stage(), Model::Stage::done) << t.model.error().toStdString();
    EXPECT_TRUE(t.model.summary()->partial);
    ASSERT_EQ(t.model.recents().size(), 1);
    EXPECT_EQ(t.model.recents().front().photos, t.model.summary()->photos);
    EXPECT_TRUE(fs::exists(folder.path() / "_Photo Gallery" / "index.html"));
}

TEST_F(ModelRun, AModelDestroyedInTheMiddleOfARunStopsItAndWaitsForIt)
{
    Folder folder;
    eightyPhotos(folder.path());
    const fs::path wall = folder.path() / "_Photo Gallery";
    {
        auto model = std::make_unique<Model>();
        model->start(folder.path());
        ASSERT_TRUE(waitFor([&] { return model->progress().status == QStringLiteral("Making thumbnails"); }));
    }
    // The run ended with its model, as a stop ends it: its partial wall is written and the wall
    // is free for the next run.
    EXPECT_TRUE(fs::exists(wall / "index.html"));
    TestModel t;
    ASSERT_TRUE(runToEnd(t.model, folder.path()));
    ASSERT_EQ(t.model.stage(), Model::Stage::done) << t.model.error().toStdString();
    EXPECT_FALSE(t.model.summary()->partial);
    EXPECT_EQ(t.model.summary()->photos, 80);
}

TEST_F(ModelRun, AWallAnotherProcessWritesFailsWithASentenceNamingIt)
{
    Folder folder;
    threePhotos(folder.path());
    const fs::path wall = folder.path() / "_Photo Gallery";
    fs::create_directories(wall);
    // Held by another process: a child that takes the lock and waits for a word from us.
    int go[2];
    int ready[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        const int fd = open((wall / ".lock").c_str(), O_RDWR | O_CREAT, 0644);
        struct flock lock{};
        lock.l_type = F_WRLCK;
        if (fd < 0 || fcntl(fd, F_OFD_SETLK, &lock) != 0)
            _exit(1);
        const std::string pid = std::to_string(getpid()) + "\n";
        [[maybe_unused]] const auto w = write(fd, pid.data(), pid.size());
        char byte = 1;
        [[maybe_unused]] const auto r = write(ready[1], &byte, 1);
        [[maybe_unused]] const auto g = read(go[0], &byte, 1);
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    TestModel t;
    t.model.start(folder.path());
    ASSERT_TRUE(waitForRunEnd(t.model));
    EXPECT_EQ(t.model.stage(), Model::Stage::failed);
    EXPECT_EQ(t.model.failure(), Model::Failure::wallInUse);
    EXPECT_EQ(t.model.error().toStdString(), "Another Kestova (process " + std::to_string(child)
                                                 + ") is writing the wall in " + wall.native()
                                                 + " right now. Try again when it has finished.");
    EXPECT_TRUE(t.model.recents().isEmpty());
    [[maybe_unused]] const auto g = write(go[1], &byte, 1);
    waitpid(child, nullptr, 0);
    // Once it has finished, the wall is ours.
    ASSERT_TRUE(runToEnd(t.model, folder.path()));
    EXPECT_EQ(t.model.stage(), Model::Stage::done);
    EXPECT_EQ(t.model.summary()->photos, 3);
}

TEST_F(ModelRun, CancelWithoutARunOnlySaysStopping)
{
    TestModel t;
    QSignalSpy stageSpy(&t.model, &Model::stageChanged);
    t.model.cancel();
    EXPECT_EQ(t.model.progress().status.toStdString(), "Stopping…");
    EXPECT_EQ(t.model.stage(), Model::Stage::idle);
    EXPECT_EQ(stageSpy.count(), 0);
}

TEST_F(ModelRun, MissingWallOrSourceFailsAndKeepsTheEntry)
{
    Folder folder;
    const Recent gone{QStringLiteral("/media/Card"), folder.text() + QStringLiteral("/gone/index.html"),
                      QStringLiteral("Card"), 5, QDateTime::currentDateTimeUtc()};
    {
        auto store = settings();
        store.setValue(QStringLiteral("recents"), QByteArray::fromStdString(RecentsJson::encode({gone})));
    }
    TestModel t;
    t.model.open(gone);
    EXPECT_EQ(t.model.stage(), Model::Stage::failed);
    EXPECT_EQ(t.model.error().toStdString(),
              "That gallery isn't there anymore. If it was on an external drive, plug the drive in and try again, "
              "or choose Update to rebuild it.");
    EXPECT_TRUE(t.actions->opened.isEmpty());
    t.model.setStage(Model::Stage::idle);
    t.model.update(gone);
    EXPECT_EQ(t.model.stage(), Model::Stage::failed);
    EXPECT_EQ(t.model.error().toStdString(), "Can't find /media/Card. If it's an external drive, plug it in and try again.");
    EXPECT_EQ(t.model.recents(), QList<Recent>{gone});
}

TEST_F(ModelRun, ChooseStartsOnTheChosenFolderOnly)
{
    Folder folder;
    TestModel t;
    t.model.choose(); // the user cancels
    EXPECT_EQ(t.actions->chooserShown, 1);
    EXPECT_EQ(t.actions->chooserPrompt.toStdString(), "Build Kestova");
    EXPECT_EQ(t.actions->chooserMessage.toStdString(),
              "Choose a drive or folder. Kestova finds every photo inside it, including in subfolders.");
    EXPECT_EQ(t.model.stage(), Model::Stage::idle);

    t.actions->chosenFolder = folder.text();
    t.model.choose();
    EXPECT_EQ(t.model.stage(), Model::Stage::running);
    ASSERT_TRUE(waitForRunEnd(t.model));
    EXPECT_EQ(t.model.stage(), Model::Stage::done);
}

TEST_F(ModelRun, UpdateDuringARunDoesNothing)
{
    Folder folder;
    TestModel t;
    const Recent missing{QStringLiteral("/nowhere"), QStringLiteral("/nowhere/index.html"), QStringLiteral("x"), 1,
                         QDateTime::currentDateTimeUtc()};
    t.model.start(folder.path());
    const QString detail = t.model.progress().detail;
    t.model.update(missing);
    t.model.update(Recent{folder.text(), QString(), QString(), 0, QDateTime::currentDateTimeUtc()});
    t.model.open(missing);
    EXPECT_EQ(t.model.stage(), Model::Stage::running);
    EXPECT_EQ(t.model.progress().detail, detail);
    t.model.cancel();
    ASSERT_TRUE(waitForRunEnd(t.model));
    EXPECT_TRUE(t.model.error().isEmpty());
}

} // namespace
