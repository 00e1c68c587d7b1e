// Dropping folders and files on the window, with real runs on real folders.
#include "UiTest.h"

#include "TempDir.h"
#include "model/PathText.h"
#include "ui/ContentView.h"

#include <QDropEvent>
#include <QMimeData>

namespace {

using Stage = Model::Stage;

QString text(const std::filesystem::path& path)
{
    return PathText::fromPath(path);
}

/// Drops the files on the view; whether the drop was accepted.
bool drop(ContentView& view, const QList<std::filesystem::path>& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const auto& path : paths)
        urls << PathText::fileUrl(text(path));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    QDropEvent event(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
    return event.isAccepted();
}

/// What the model showed in each stage: a short run may start and end within one turn of the
/// event loop, before a test could look.
struct Seen {
    Stage stage;
    QString title;
    QString detail; ///< the first detail text of the stage
};

class DropTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        QObject::connect(m.get(), &Model::stageChanged, m.get(), [this](Stage stage) {
            seen.push_back({stage, m->currentTitle(), QString()});
        });
        // The stage changes first and the texts follow it.
        QObject::connect(m.get(), &Model::progressChanged, m.get(), [this](const RunProgress& progress) {
            if (!seen.empty() && seen.back().detail.isEmpty())
                seen.back().detail = progress.detail;
        });
    }

    void finishRun()
    {
        ASSERT_TRUE(waitFor([this] { return !seen.empty() && m->stage() != Stage::running; }));
    }

    std::vector<Seen> seen;
};

TEST_F(DropTest, ThreeFoldersStartOneRunOnTheFirst)
{
    TempDir dir;
    const auto first = dir.mkdir("Holiday");
    const auto second = dir.mkdir("Work");
    const auto third = dir.mkdir("Pets");
    ContentView view(*m);
    EXPECT_TRUE(drop(view, {first, second, third}));
    EXPECT_FALSE(view.dropping());
    // The start is posted, as a drop's answer arrives later.
    EXPECT_EQ(m->stage(), Stage::idle);
    finishRun();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].stage, Stage::running);
    EXPECT_EQ(seen[0].title, QStringLiteral("Holiday"));
    EXPECT_EQ(seen[0].detail, text(first));
    EXPECT_EQ(seen[1].stage, Stage::done);
    ASSERT_EQ(m->recents().size(), 1);
    EXPECT_EQ(m->recents().first().root, text(first));
    EXPECT_FALSE(std::filesystem::exists(second / "_Photo Gallery"));
    EXPECT_FALSE(std::filesystem::exists(third / "_Photo Gallery"));
    // An empty wall is not opened.
    EXPECT_TRUE(desktop->opened.isEmpty());
}

TEST_F(DropTest, ADropDuringARunIsRefused)
{
    TempDir dir;
    ModelStates::running(*m, QStringLiteral("Card"), QStringLiteral("Making thumbnails"), QStringLiteral("3 of 9"), 1.0 / 3);
    ContentView view(*m);
    EXPECT_FALSE(drop(view, {dir.mkdir("Other")}));
    settle();
    EXPECT_EQ(m->stage(), Stage::running);
    EXPECT_EQ(m->currentTitle(), QStringLiteral("Card"));
    EXPECT_EQ(m->progress().detail, QStringLiteral("3 of 9"));
    EXPECT_FALSE(view.dropping());
}

TEST_F(DropTest, ADroppedFileEndsOnTheFailureScreen)
{
    TempDir dir;
    const auto photo = dir.write("IMG_0001.JPG", "not a folder");
    ContentView view(*m);
    EXPECT_TRUE(drop(view, {photo}));
    finishRun();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].stage, Stage::failed);
    EXPECT_EQ(m->error(), QStringLiteral("Kestova works on folders and drives. Choose a folder rather than a single file."));
}

TEST_F(DropTest, ADropOnTheResultOrFailureScreenStartsAtOnce)
{
    TempDir dir;
    const auto folder = dir.mkdir("Card");
    for (const bool failed : {false, true}) {
        SCOPED_TRACE(failed);
        if (failed)
            ModelStates::failed(*m, QStringLiteral("Broken."));
        else
            ModelStates::done(*m, JobSummary{}, QStringLiteral("Old"));
        ContentView view(*m);
        seen.clear();
        EXPECT_TRUE(drop(view, {folder}));
        finishRun();
        ASSERT_EQ(seen.size(), 2u);
        EXPECT_EQ(seen[0].stage, Stage::running);
        EXPECT_EQ(seen[0].title, QStringLiteral("Card"));
        EXPECT_EQ(seen[1].stage, Stage::done);
    }
}

TEST_F(DropTest, ANameThatIsNotUtf8ReachesTheModelByteForByte)
{
    TempDir dir;
    const std::filesystem::path odd = dir.path() / std::string("Caf\xe9");
    std::filesystem::create_directories(odd);
    ContentView view(*m);
    EXPECT_TRUE(drop(view, {odd}));
    finishRun();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].stage, Stage::running);
    EXPECT_EQ(m->stage(), Stage::done);
    EXPECT_TRUE(std::filesystem::exists(odd / "_Photo Gallery" / "index.html"));
}

TEST_F(DropTest, ADragWithoutFilesIsNotTaken)
{
    ContentView view(*m);
    QMimeData data;
    data.setText(QStringLiteral("/tmp"));
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(view.dropping());
}

} // namespace
