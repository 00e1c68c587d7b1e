// One remembered wall of the "Your walls" list.
#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>

/// Texts are path text (model/PathText.h): a name that is not valid UTF-8 survives unchanged.
struct Recent {
    QString root;     ///< the source folder or drive the wall was built from; identifies the entry
    QString gallery;  ///< the wall's index.html
    QString title;
    qint64 photos = 0;
    QDateTime updated; ///< when the last run on this source finished
    qint64 videos = 0; ///< videos on the wall besides its photos
    /// Photos a stopped run left for the next one: the wall is unfinished. 0 once a run finished it.
    qint64 toDo = 0;

    const QString& id() const { return root; }

    /// All fields equal: texts up to Unicode canonical equivalence, `updated` as the same
    /// instant.
    friend bool operator==(const Recent& a, const Recent& b);
};

/// Whether two texts are canonically equivalent (the same text in NFC).
bool sameText(const QString& a, const QString& b);

namespace RecentText {
/// What a wall holds, in the user's language: "12 photos", or with videos "12 photos and 3
/// videos", "1 photo and 1 video", "3 videos".
QString contents(qint64 photos, qint64 videos);
/// The line under a wall's title: "12,480 photos · updated 3 weeks ago", "1 photo and 2 videos
/// · updated yesterday", in the user's language.
QString caption(const Recent& recent, const QDateTime& now);
/// The mark of a wall that a stopped run left unfinished: "Unfinished: 520 photos still to
/// do"; empty for a finished wall.
QString unfinished(const Recent& recent);
} // namespace RecentText

Q_DECLARE_METATYPE(Recent)
