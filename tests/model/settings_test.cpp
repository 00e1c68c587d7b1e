// The duplicate and portable settings and the stored list, in a real settings file of a temporary home.
#include "TestSupport.h"

#include "model/RecentsJson.h"

#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace TestSupport;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
};

Recent entry(int i)
{
    const QString root = QStringLiteral("/media/Card%1").arg(i);
    return {root, root + QStringLiteral("/_Photo Gallery/index.html"), QStringLiteral("Card%1").arg(i), i,
            RecentsJson::fromReferenceSeconds(700000000.0 + i)};
}

void storeRecents(const QByteArray& bytes)
{
    auto store = settings();
    store.setValue(QStringLiteral("recents"), bytes);
    store.sync();
}

QByteArray storedRecents()
{
    return settings().value(QStringLiteral("recents")).toByteArray();
}

TEST_F(Settings, FileLivesUnderXdgConfigHome)
{
    Model model;
    model.setDedupe(false);
    EXPECT_TRUE(QFile::exists(home() + QStringLiteral("/config/Kestova/Kestova.conf")));
}

TEST_F(Settings, DedupeDefaultsToYesAndPersists)
{
    {
        Model model;
        EXPECT_TRUE(model.dedupe());
        QSignalSpy changed(&model, &Model::dedupeChanged);
        model.setDedupe(false);
        EXPECT_EQ(changed.count(), 1);
        EXPECT_FALSE(model.dedupe());
    }
    EXPECT_FALSE(Model().dedupe());
    Model().setDedupe(true);
    EXPECT_TRUE(Model().dedupe());
}

TEST_F(Settings, PortableDefaultsToNoAndPersists)
{
    {
        Model model;
        EXPECT_FALSE(model.portable());
        QSignalSpy changed(&model, &Model::portableChanged);
        model.setPortable(true);
        EXPECT_EQ(changed.count(), 1);
    }
    EXPECT_TRUE(Model().portable());
    EXPECT_EQ(settings().value(QStringLiteral("portable")).toString(), QStringLiteral("true"));
    Model().setPortable(false);
    EXPECT_FALSE(Model().portable());
    // A value of another kind reads as no: a wall is never made larger by a mistake.
    {
        auto store = settings();
        store.setValue(QStringLiteral("portable"), QStringLiteral("yes"));
        store.sync();
    }
    EXPECT_FALSE(Model().portable());
}

TEST_F(Settings, EveryVideoCopyDefaultsToNoAndPersistsAndOnlyYesReadsAsYes)
{
    EXPECT_FALSE(Model().videoCopies());
    {
        Model model;
        QSignalSpy changed(&model, &Model::videoCopiesChanged);
        model.setVideoCopies(true);
        EXPECT_EQ(changed.count(), 1);
    }
    EXPECT_TRUE(Model().videoCopies());
    const QVariant stored[] = {QStringLiteral("maybe"), 1, QStringLiteral("1"), QStringLiteral("")};
    for (const QVariant& value : stored) {
        auto store = settings();
        store.setValue(QStringLiteral("videoCopies"), value);
        store.sync();
        EXPECT_FALSE(Model().videoCopies()) << value.toString().toStdString();
    }
}

TEST_F(Settings, DedupeThatIsNotYesOrNoReadsAsYes)
{
    const QVariant stored[] = {QStringLiteral("maybe"), 0, QStringLiteral("0"), QByteArray("false"), QStringLiteral("")};
    for (const QVariant& value : stored) {
        auto store = settings();
        store.setValue(QStringLiteral("dedupe"), value);
        store.sync();
        EXPECT_TRUE(Model().dedupe()) << value.toString().toStdString();
    }
}

TEST_F(Settings, StoredListLoadsWholeAndInOrder)
{
    QList<Recent> nine;
    for (int i = 9; i >= 1; --i)
        nine.append(entry(i));
    const std::string text = RecentsJson::encode(nine);
    storeRecents(QByteArray::fromStdString(text));
    const Model model;
    EXPECT_EQ(model.recents(), nine); // more than 8 are kept until the next run finishes
    EXPECT_EQ(storedRecents().toStdString(), text);
}

TEST_F(Settings, UnreadableListLoadsEmptyAndIsReplacedAtTheNextSave)
{
    const QByteArray broken(R"([{"root":"/a","gallery":"g","title":"a","photos":3}])");
    storeRecents(broken);
    Model model;
    EXPECT_TRUE(model.recents().isEmpty());
    EXPECT_EQ(storedRecents(), broken); // loading leaves it alone
    model.forget(entry(1));             // matches nothing, but saves
    EXPECT_EQ(storedRecents(), QByteArray("[]"));
}

TEST_F(Settings, ListStoredAsTextIsNotRead)
{
    auto store = settings();
    store.setValue(QStringLiteral("recents"), QString::fromStdString(RecentsJson::encode({entry(1)})));
    store.sync();
    EXPECT_TRUE(Model().recents().isEmpty());
}

TEST_F(Settings, ForgetRemovesEveryEqualEntryAndSaves)
{
    const Recent a = entry(1), b = entry(2);
    storeRecents(QByteArray::fromStdString(RecentsJson::encode({a, b, a})));
    Model model;
    QSignalSpy changed(&model, &Model::recentsChanged);
    Recent differentTime = a;
    differentTime.updated = differentTime.updated.addSecs(1);
    model.forget(differentTime);
    EXPECT_EQ(model.recents().size(), 3);
    model.forget(a);
    EXPECT_EQ(model.recents(), QList<Recent>{b});
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(Model().recents(), QList<Recent>{b});
}

} // namespace
