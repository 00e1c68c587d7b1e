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
    return a.photos == b.photos && a.updated == b.updated && sameText(a.root, b.root)
        && sameText(a.gallery, b.gallery) && sameText(a.title, b.title);
}

namespace RecentText {

QString caption(const Recent& recent, const QDateTime& now)
{
    const int n = TextFormat::numerus(recent.photos);
    return QCoreApplication::translate("Recent", "%1 photos · updated %2", "photos on the wall, when it was updated", n)
        .arg(TextFormat::count(recent.photos), TextFormat::relativeDate(recent.updated, now));
}

} // namespace RecentText
