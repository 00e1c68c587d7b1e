// The desktop's services on a Linux desktop, through Qt.
#pragma once

#include "ui/DesktopActions.h"

#include <QPointer>
#include <QWidget>

/// Folder chooser, browser and mail through the desktop's default applications, the file
/// manager over D-Bus, the clipboard and message boxes. Dialogs are modal to the window.
class QtDesktop : public DesktopActions {
public:
    void setWindow(QWidget* window) { this->window = window; }

    std::optional<QString> chooseFolder(const QString& prompt, const QString& message) override;
    void openFile(const QString& path) override;
    bool tryOpenUrl(const QUrl& url) override;
    void revealFile(const QString& path) override;
    void copyText(const QString& text) override;
    void showAlert(const QString& title, const QString& text) override;

    /// A file location for path text (model/PathText.h), byte for byte, also for names that
    /// are not UTF-8.
    static QUrl fileUrl(const QString& path);
    /// Path text for a local file location, byte for byte; nothing for other locations.
    static std::optional<QString> pathOf(const QUrl& url);

private:
    QPointer<QWidget> window;
};
