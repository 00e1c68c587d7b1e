// The result sentences, counts formatted in the user's locale.
#include "model/ResultText.h"

#include "model/Model.h"
#include "model/PathText.h"
#include "model/TextFormat.h"

ResultText ResultText::of(const JobSummary& s, const QString& title)
{
    ResultText text;
    text.paused = s.partial;
    if (s.photos == 0) {
        text.headline = tr("No photos found");
        text.details << tr("Nothing in %1 looked like a photo (JPEG, HEIC, PNG, RAW and so on).").arg(title);
        return text;
    }
    // The counted headlines keep the word "photos" even for one in English.
    const int photos = TextFormat::numerus(s.photos);
    text.headline = s.partial ? tr("Stopped early: %1 photos so far", nullptr, photos).arg(TextFormat::count(s.photos))
                              : tr("%1 photos ready", nullptr, photos).arg(TextFormat::count(s.photos));
    if (s.partial)
        text.details << tr("Choose Update later to finish. The work so far is saved.");
    if (s.duplicates > 0)
        text.details << tr("%1 duplicate copies shown once", nullptr, TextFormat::numerus(s.duplicates)).arg(TextFormat::count(s.duplicates));
    if (s.undated > 0)
        text.details << tr("%1 photos have no date and are grouped at the end", nullptr, TextFormat::numerus(s.undated))
                            .arg(TextFormat::count(s.undated));
    if (s.unreadable > 0)
        text.details << tr("%1 files couldn't be read and were skipped", nullptr, TextFormat::numerus(s.unreadable))
                            .arg(TextFormat::count(s.unreadable));
    text.hasWall = true;
    text.savedAt = tr("The wall is saved at %1. It opens in your web browser, and you can open it any time, even without "
                      "this app.")
                       .arg(PathText::fromPath(s.gallery.parent_path()));
    return text;
}
