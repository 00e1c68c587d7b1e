// The result sentences, counts formatted in the user's locale.
#include "model/ResultText.h"

#include "model/Model.h"
#include "model/PathText.h"
#include "model/TextFormat.h"

ResultText ResultText::of(const JobSummary& s, const QString& title)
{
    ResultText text;
    text.paused = s.partial;
    if (s.photos == 0 && s.videos == 0) {
        text.headline = QStringLiteral("No photos found");
        text.details << QStringLiteral("Nothing in ") + title +
                            QStringLiteral(" looked like a photo (JPEG, HEIC, PNG, RAW and so on).");
        return text;
    }
    // The counted headlines keep the word "photos" even for one.
    // With videos: "1,204 photos and 37 videos ready".
    QString counted = TextFormat::count(s.photos) + QStringLiteral(" photos");
    if (s.videos > 0) {
        const QString videos = plural(s.videos, QStringLiteral("video"), QStringLiteral("videos"));
        counted = s.photos > 0 ? counted + QStringLiteral(" and ") + videos : videos;
    }
    text.headline = s.partial ? QStringLiteral("Stopped early: ") + counted + QStringLiteral(" so far")
                              : counted + QStringLiteral(" ready");
    if (s.partial)
        text.details << QStringLiteral("Choose Update later to finish. The work so far is saved.");
    if (s.duplicates > 0)
        text.details << plural(s.duplicates, QStringLiteral("duplicate copy"), QStringLiteral("duplicate copies")) +
                            QStringLiteral(" shown once");
    if (s.undated > 0)
        text.details << plural(s.undated, QStringLiteral("photo has"), QStringLiteral("photos have")) +
                            QStringLiteral(" no date and ") + (s.undated == 1 ? QStringLiteral("is") : QStringLiteral("are")) +
                            QStringLiteral(" grouped at the end");
    if (s.unreadable > 0)
        text.details << plural(s.unreadable, QStringLiteral("file"), QStringLiteral("files")) +
                            QStringLiteral(" couldn't be read and ") +
                            (s.unreadable == 1 ? QStringLiteral("was") : QStringLiteral("were")) + QStringLiteral(" skipped");
    text.hasWall = true;
    text.savedAt = QStringLiteral("The wall is saved at ") + PathText::fromPath(s.gallery.parent_path()) +
                   QStringLiteral(". It opens in your web browser, and you can open it any time, even without this app.");
    return text;
}
