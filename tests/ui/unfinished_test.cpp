// A wall that Stop left unfinished: the result screen offers the Update its words name, and
// Your walls marks the wall until a run finishes it.
#include "UiTest.h"

#include "TempDir.h"
#include "ui/ContentView.h"
#include "ui/DoneView.h"
#include "ui/IdleView.h"
#include "ui/RecentRow.h"

#include <QLabel>
#include <QPushButton>

#include <fstream>

namespace fs = std::filesystem;

namespace {

using Stage = Model::Stage;

/// Many distinct photos that cost no disk: hard links to one copy of a large real photo.
void manyPhotos(const fs::path& root, int count)
{
    fs::copy_file(fs::path(KESTOVA_SHARED_PHOTOS) / "cameras/iphone_hdr_NO.jpg", root / "first.jpg");
    for (int i = 0; i < count; ++i)
        fs::create_hard_link(root / "first.jpg", root / ("IMG_" + std::to_string(1000 + i) + ".jpg"));
}

std::string contents(const fs::path& file)
{
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// The mark under the first row of Your walls, or nothing when the row has none.
std::optional<QString> firstRowMark(Model& m)
{
    IdleView idle(m, false);
    const QList<RecentRow*> rows = idle.wallsPanel()->findChildren<RecentRow*>();
    if (rows.isEmpty() || !rows.front()->unfinishedLabel())
        return std::nullopt;
    return rows.front()->unfinishedLabel()->text();
}

class UnfinishedTest : public UiTest {};

TEST_F(UnfinishedTest, StopMarksTheWallUntilTheResultScreensUpdateFinishesIt)
{
    TempDir dir;
    const fs::path source = dir.path() / "Card";
    fs::create_directories(source);
    manyPhotos(source, 150);
    const fs::path wall = source / "_Photo Gallery";
    ContentView content(*m);

    m->start(QString::fromStdString(source.string()));
    ASSERT_TRUE(waitFor([&] { const auto fraction = m->progress().fraction; return fraction && *fraction > 0; }, 120000)) << "no photo was ever done";
    m->cancel();
    ASSERT_TRUE(waitFor([&] { return m->stage() != Stage::running; }, 120000));
    ASSERT_EQ(m->stage(), Stage::done) << m->error().toStdString();
    const JobSummary stopped = *m->summary();
    ASSERT_TRUE(stopped.unfinished());
    EXPECT_EQ(stopped.photos + stopped.toDo, 151) << "every photo is either on the wall or still to do";
    EXPECT_EQ(contents(wall / "state.js"), "window.KESTOVA_WALL_STATE={\"version\":1,\"finished\":false,\"toDo\":"
                                               + std::to_string(stopped.toDo) + "};\n");

    // Your walls remembers it, and its row says so.
    ASSERT_EQ(m->recents().size(), 1);
    EXPECT_EQ(m->recents().front().toDo, stopped.toDo);
    const QString mark = QStringLiteral("Unfinished: %1 photos still to do").arg(stopped.toDo);
    EXPECT_EQ(firstRowMark(*m), mark);

    // The result screen names Update and offers it.
    settle();
    auto* result = qobject_cast<DoneView*>(content.screen());
    ASSERT_TRUE(result && result->updateButton());
    EXPECT_EQ(result->detailLabels().front()->text(),
              QStringLiteral("%1 photos are still to do. The work so far is saved: choose Update to finish the wall.")
                  .arg(stopped.toDo));
    result->updateButton()->click();
    EXPECT_EQ(m->stage(), Stage::running);
    ASSERT_TRUE(waitFor([&] { return m->stage() != Stage::running; }, 300000));
    ASSERT_EQ(m->stage(), Stage::done) << m->error().toStdString();
    EXPECT_FALSE(m->summary()->unfinished());
    EXPECT_EQ(m->summary()->photos, 151);
    EXPECT_EQ(contents(wall / "state.js"), "window.KESTOVA_WALL_STATE={\"version\":1,\"finished\":true,\"toDo\":0};\n");
    ASSERT_EQ(m->recents().size(), 1);
    EXPECT_EQ(m->recents().front().toDo, 0);
    EXPECT_EQ(firstRowMark(*m), std::nullopt);
    settle();
    auto* finished = qobject_cast<DoneView*>(content.screen());
    ASSERT_TRUE(finished);
    EXPECT_FALSE(finished->updateButton());
}

} // namespace
