// Desktop services that only record what the window asked of them.
#pragma once

#include "model/PlatformActions.h"

#include <QList>
#include <QPair>
#include <QStringList>

struct RecordingDesktop : PlatformActions {
    std::optional<QString> folderToChoose;  ///< what the chooser answers; nothing = cancelled
    bool urlsOpen = true;                   ///< whether an application takes addresses

    int chooses = 0;
    QString prompt;
    QString message;
    QStringList opened;
    QStringList revealed;
    QList<QUrl> urls;
    QStringList copied;
    QList<QPair<QString, QString>> alerts;

    std::optional<QString> chooseFolder(const QString& p, const QString& m) override
    {
        ++chooses;
        prompt = p;
        message = m;
        return folderToChoose;
    }
    void openFile(const QString& path) override { opened << path; }
    bool openUrl(const QUrl& url) override
    {
        urls << url;
        return urlsOpen;
    }
    void revealFile(const QString& path) override { revealed << path; }
    void copyText(const QString& text) override { copied << text; }
    void showAlert(const QString& title, const QString& text) override { alerts << qMakePair(title, text); }
};
