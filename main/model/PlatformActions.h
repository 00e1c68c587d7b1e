// What the model asks of the desktop it runs on; each front end installs its own.
#pragma once

#include <QString>
#include <QUrl>

#include <optional>

/// The desktop's services, behind one small interface so that the model never includes a widget
/// header: the window installs an implementation on Qt Widgets, kestova-cli a console one, tests
/// their own. Every call comes from the main thread. Paths are the model's path text
/// (model/PathText.h).
class PlatformActions {
public:
    virtual ~PlatformActions() = default;

    /// Asks the user for one folder or drive, modally. `prompt` is the confirm button's label,
    /// `message` the line above the file list. Nothing when the user cancels.
    virtual std::optional<QString> chooseFolder(const QString& prompt, const QString& message) = 0;
    /// Opens a file in the application the desktop assigns to it (for index.html, the browser).
    virtual void openFile(const QString& path) = 0;
    /// Opens a web or mailto address in its default application; false when no application
    /// takes it (for mailto, when no mail application is set up).
    virtual bool openUrl(const QUrl& url) = 0;
    /// Shows the file in the file manager, selected where the file manager can do that.
    virtual void revealFile(const QString& path) = 0;
    /// Puts text on the clipboard.
    virtual void copyText(const QString& text) = 0;
    /// Shows a message that the user acknowledges.
    virtual void showAlert(const QString& title, const QString& text) = 0;
};
