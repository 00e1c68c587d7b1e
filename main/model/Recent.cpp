// Equality of recent entries, and their caption.
#include "model/Recent.h"

#include "model/TextFormat.h"

#include <QCoreApplication>

bool sameText(const QString& a, const QString& b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

bool operator==(const Recent& a, const Recent& b)
{
    return a.photos == b.photos && a.videos == b.videos && a.toDo == b.toDo && a.updated == b.updated && sameText(a.root, b.root)
        && sameText(a.gallery, b.gallery) && sameText(a.title, b.title);
}

namespace RecentText {

QString contents(qint64 photos, qint64 videos)
{
    const int photosN = TextFormat::numerus(photos);
    const QString photoText =
        QCoreApplication::translate("Recent", "%1 photos", "on a wall", photosN).arg(TextFormat::count(photos));
    if (videos <= 0)
        return photoText;
    const int videosN = TextFormat::numerus(videos);
    const QString videoText =
        QCoreApplication::translate("Recent", "%1 videos", "on a wall", videosN).arg(TextFormat::count(videos));
    if (photos <= 0)
        return videoText;
    return QCoreApplication::translate("Recent", "%1 and %2", "photos and videos").arg(photoText, videoText);
}

QString caption(const Recent& recent, const QDateTime& now)
{
    return QCoreApplication::translate("Recent", "%1 · updated %2", "what the wall holds, when it was updated")
        .arg(contents(recent.photos, recent.videos), TextFormat::relativeDate(recent.updated, now));
}

QString unfinished(const Recent& recent)
{
    if (recent.toDo <= 0)
        return QString();
    const int n = TextFormat::numerus(recent.toDo);
    return QCoreApplication::translate("Recent", "Unfinished: %1 photos still to do", "a wall that a stop left unfinished", n)
        .arg(TextFormat::count(recent.toDo));
}

} // namespace RecentText
