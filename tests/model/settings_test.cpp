// The duplicate and portable settings and the stored list, in a real settings file of a temporary home.
#include "TestSupport.h"

#include "model/RecentsJson.h"

#include <QFile>
#include <QSignalSpy>

#include <vector>

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

// The build options of the window: each has its default, is saved when set and says so once,
// and a stored value that is not plainly the other answer reads as the default, so a mistake
// never shows duplicates nor makes a wall larger.
TEST_F(Settings, BuildOptionsDefaultPersistAndReadOddValuesAsTheDefault)
{
    struct Option {
        const char* key;
        bool byDefault;
        bool (Model::*get)() const;
        void (Model::*set)(bool);
        void (Model::*changed)(bool);
        std::vector<QVariant> odd;
    };
    const Option options[] = {
        {"dedupe", true, &Model::dedupe, &Model::setDedupe, &Model::dedupeChanged,
         {QStringLiteral("maybe"), 0, QStringLiteral("0"), QByteArray("false"), QStringLiteral("")}},
        {"portable", false, &Model::portable, &Model::setPortable, &Model::portableChanged, {QStringLiteral("yes")}},
        {"videoCopies", false, &Model::videoCopies, &Model::setVideoCopies, &Model::videoCopiesChanged,
         {QStringLiteral("maybe"), 1, QStringLiteral("1"), QStringLiteral("")}},
    };
    for (const Option& o : options) {
        SCOPED_TRACE(o.key);
        {
            Model model;
            EXPECT_EQ((model.*o.get)(), o.byDefault);
            QSignalSpy changed(&model, o.changed);
            (model.*o.set)(!o.byDefault);
            EXPECT_EQ(changed.count(), 1);
            EXPECT_EQ((model.*o.get)(), !o.byDefault);
        }
        EXPECT_EQ((Model().*o.get)(), !o.byDefault);
        EXPECT_EQ(settings().value(QLatin1String(o.key)).toString(),
                  !o.byDefault ? QStringLiteral("true") : QStringLiteral("false"));
        (Model().*o.set)(o.byDefault);
        EXPECT_EQ((Model().*o.get)(), o.byDefault);
        for (const QVariant& value : o.odd) {
            auto store = settings();
            store.setValue(QLatin1String(o.key), value);
            store.sync();
            EXPECT_EQ((Model().*o.get)(), o.byDefault) << value.toString().toStdString();
        }
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
