// Equality of recent entries.
#include "model/Recent.h"

bool sameText(const QString& a, const QString& b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

bool operator==(const Recent& a, const Recent& b)
{
    return a.photos == b.photos && a.videos == b.videos && a.updated == b.updated && sameText(a.root, b.root)
        && sameText(a.gallery, b.gallery) && sameText(a.title, b.title);
}
