// The model tests' main: a private home, US English, and a Qt event loop for queued reports.
#include "TestSupport.h"

#include "model/Translations.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

/// The temporary home of this test program; its settings and Pictures folder live in it.
QString homeDir;

} // namespace

const QString& TestSupport::home()
{
    return homeDir;
}

int main(int argc, char** argv)
{
    // Before ICU, QStandardPaths or QSettings read them: counts and words in US English, the
    // settings and the Pictures folder inside a folder of our own. A child run (the read-only
    // tests re-run this program in a mount namespace) keeps the home it was given.
    if (const char* given = std::getenv("KESTOVA_TEST_HOME")) {
        homeDir = QString::fromLocal8Bit(given);
    } else {
        QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/kestova-model-test-XXXXXX";
        if (!mkdtemp(pattern.data()))
            return 3;
        homeDir = QString::fromLocal8Bit(pattern);
        setenv("KESTOVA_TEST_HOME", pattern.constData(), 1);
    }
    const QByteArray home = homeDir.toLocal8Bit();
    setenv("HOME", home.constData(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").constData(), 1);
    setenv("LC_ALL", "en_US.UTF-8", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("TZ", "UTC", 1);

    QCoreApplication app(argc, argv);
    const Translations translations;
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    if (!std::getenv("KESTOVA_TEST_CHILD"))
        QDir(homeDir).removeRecursively();
    return status;
}
