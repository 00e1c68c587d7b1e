// Shared helpers of the model tests: folders, real photos, the desktop's services, waiting.
#pragma once

#include "model/Model.h"
#include "model/PlatformActions.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace TestSupport {

/// This test program's temporary home (HOME; settings under home/config).
const QString& home();

/// The settings the model uses, for reading and planting stored values.
inline QSettings settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestova"), QStringLiteral("Kestova"));
}

/// Removes every stored setting, so that each test starts from a fresh install.
void clearSettings();

/// A new empty folder under the temporary home, removed at the end of the test.
class Folder {
public:
    Folder();
    std::filesystem::path path() const { return std::filesystem::path(dir.path().toStdString()); }
    QString text() const { return dir.path(); }

private:
    QTemporaryDir dir;
};

/// The real camera file at KESTOVA_SHARED_PHOTOS/relative.
std::filesystem::path sharedPhoto(const std::string& relative);
/// Copies the shared photos into dest (creating folders as needed), each under its given name.
void copyPhotos(const std::filesystem::path& dest, const std::vector<std::pair<std::string, std::string>>& namesAndSources);
/// Creates `count` empty files named like photos, spread over subfolders, for a long walk.
void makeLongWalk(const std::filesystem::path& dest, int folders, int filesPerFolder);

/// Runs the event loop until the predicate holds or the time is up; false on time out.
bool waitFor(const std::function<bool()>& done, int milliseconds = 120000);
/// Runs the event loop until the model has left `running`.
bool waitForRunEnd(Model& model, int milliseconds = 120000);

/// The desktop as the tests see it: records every request, and answers the folder chooser
/// with a folder set in advance.
class RecordingActions : public PlatformActions {
public:
    std::optional<QString> chosenFolder;
    int chooserShown = 0;
    QString chooserPrompt;
    QString chooserMessage;
    QStringList opened;

    std::optional<QString> chooseFolder(const QString& prompt, const QString& message) override
    {
        ++chooserShown;
        chooserPrompt = prompt;
        chooserMessage = message;
        return chosenFolder;
    }
    void openFile(const QString& path) override { opened.append(path); }
    bool openUrl(const QUrl& url) override
    {
        opened.append(url.toString());
        return true;
    }
    void revealFile(const QString&) override {}
    void copyText(const QString&) override {}
    void showAlert(const QString&, const QString&) override {}
};

/// A model reading the current settings, with recording actions installed.
struct TestModel {
    TestModel();
    Model model;
    RecordingActions* actions;
};

} // namespace TestSupport
