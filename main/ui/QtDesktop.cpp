// Folder chooser, default applications, file manager, clipboard and alerts on Linux.
#include "ui/QtDesktop.h"

#include "model/PathText.h"
#include "ui/AppMark.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>

namespace {

/// Whether the desktop names a mail application for mailto addresses. Without xdg-mime the
/// question cannot be asked, and opening the address is left to tell.
bool mailHandlerSetUp()
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty())
        return true;
    QProcess query;
    query.start(tool, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished();
        return true;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

std::string parentOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

std::optional<QString> QtDesktop::chooseFolder(const QString& prompt, const QString& message)
{
    QFileDialog dialog(window, message);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, prompt);
    dialog.setDirectory(QDir::home());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QList<QUrl> urls = dialog.selectedUrls();
    if (urls.isEmpty())
        return std::nullopt;
    return PathText::pathOf(urls.first());
}

void QtDesktop::openFile(const QString& path)
{
    QDesktopServices::openUrl(PathText::fileUrl(path));
}

bool QtDesktop::openUrl(const QUrl& url)
{
    // xdg-open starts even when nothing handles mailto and then fails out of sight, so the
    // question is asked first.
    if (url.scheme() == QLatin1String("mailto") && !mailHandlerSetUp())
        return false;
    return QDesktopServices::openUrl(url);
}

void QtDesktop::revealFile(const QString& path)
{
    const QUrl file = PathText::fileUrl(path);
    const QString folderPath = PathText::fromBytes(parentOf(PathText::toBytes(path)));
    const QUrl folder = PathText::fileUrl(folderPath);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                      QStringLiteral("/org/freedesktop/FileManager1"),
                                                      QStringLiteral("org.freedesktop.FileManager1"),
                                                      QStringLiteral("ShowItems"));
    call << QStringList{QString::fromLatin1(file.toEncoded())} << QString();
    // Asynchronous, so a slow file manager never freezes the window; a desktop without one
    // answers with an error and the folder opens instead.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [folder](QDBusPendingCallWatcher* done) {
        if (done->isError())
            QDesktopServices::openUrl(folder);
        done->deleteLater();
    });
}

void QtDesktop::copyText(const QString& text)
{
    // A fresh mime data object replaces everything the clipboard held.
    auto* data = new QMimeData;
    data->setText(text);
    QGuiApplication::clipboard()->setMimeData(data);
}

void QtDesktop::showAlert(const QString& title, const QString& text)
{
    QMessageBox box(window);
    box.setWindowTitle(QStringLiteral("Kestova"));
    box.setIconPixmap(appIcon().pixmap(64, 64));
    box.setText(title);
    box.setInformativeText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
