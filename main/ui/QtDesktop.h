// The desktop's services on a Linux desktop, through Qt.
#pragma once

#include "model/PlatformActions.h"

#include <QPointer>
#include <QWidget>

/// Folder chooser, browser and mail through the desktop's default applications, the file
/// manager over D-Bus, the clipboard and message boxes. Dialogs are modal to the window.
class QtDesktop : public PlatformActions {
public:
    void setWindow(QWidget* window) { this->window = window; }

    std::optional<QString> chooseFolder(const QString& prompt, const QString& message) override;
    void openFile(const QString& path) override;
    bool openUrl(const QUrl& url) override;
    void revealFile(const QString& path) override;
    void copyText(const QString& text) override;
    void showAlert(const QString& title, const QString& text) override;

private:
    QPointer<QWidget> window;
};
