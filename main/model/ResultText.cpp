// The result sentences, counts formatted in the user's locale.
#include "model/ResultText.h"

#include "model/Model.h"
#include "model/PathText.h"
#include "model/Recent.h"
#include "model/TextFormat.h"

#include <QCoreApplication>

#include <algorithm>
namespace {

/// At most three names in quotes, then how many more: “a.jpg”, “b.jpg”, “c.jpg” and 4 more.
QString someNames(const std::vector<std::string>& names)
{
    constexpr std::size_t shown = 3;
    QStringList quoted;
    for (std::size_t i = 0; i < names.size() && i < shown; ++i)
        quoted << ResultText::tr("\u201C%1\u201D", "a file or folder name in quotes").arg(PathText::fromBytes(names[i]));
    const QString text = quoted.join(ResultText::tr(", ", "between the names of a list"));
    if (names.size() <= shown)
        return text;
    return ResultText::tr("%1 and %2 more", "the first names of a list, then how many more")
        .arg(text, TextFormat::count(static_cast<qint64>(names.size() - shown)));
}

/// The remarks every run can have, whether or not it found photos.
void addRemarks(const JobSummary& s, QStringList& details)
{
    if (!s.unreadableFolders.empty()) {
        const auto n = static_cast<qint64>(s.unreadableFolders.size());
        details << ResultText::tr("The folders %1 couldn't be opened; their photos from earlier runs stay on the wall",
                                  nullptr, TextFormat::numerus(n))
                       .arg(someNames(s.unreadableFolders));
    }
    if (!s.passedOver.empty()) {
        const auto n = static_cast<qint64>(s.passedOver.size());
        details << ResultText::tr("Passed over because the decoder crashed on them before: %1. Kestova tries again "
                                  "when it or its image libraries are updated",
                                  nullptr, TextFormat::numerus(n))
                       .arg(someNames(s.passedOver));
    }
    if (!s.tookTooLong.empty()) {
        const auto n = static_cast<qint64>(s.tookTooLong.size());
        details << ResultText::tr("Left for the next update because they took too long to read: %1", nullptr,
                                  TextFormat::numerus(n))
                       .arg(someNames(s.tookTooLong));
    }
    if (s.changed > 0)
        details << ResultText::tr("%1 photos changed while being read and are left for the next update", nullptr,
                                  TextFormat::numerus(s.changed))
                       .arg(TextFormat::count(s.changed));
    // Paths the system cannot open are left out, and the user is told how many.
    if (s.tooLong > 0)
        details << ResultText::tr("%1 folders or photos nested deeper than the system allows were left out", nullptr,
                                  TextFormat::numerus(s.tooLong))
                       .arg(TextFormat::count(s.tooLong));
}

} // namespace

QString ResultText::wallInUse(qint64 holder, const QString& wall)
{
    if (holder > 0)
        return tr("Another Kestova (process %1) is writing the wall in %2 right now. Try again when it has finished.")
            .arg(QString::number(holder), wall);
    return tr("Another Kestova is writing the wall in %1 right now. Try again when it has finished.").arg(wall);
}

QString ResultText::sourceMissing(const QString& root, qint64 photosLastTime)
{
    return tr("%1 held %2 photos last time, but Kestova can't find any there now. Is the drive connected? The wall was "
              "left as it was.",
              nullptr, TextFormat::numerus(photosLastTime))
        .arg(root, TextFormat::count(photosLastTime));
}

ResultText ResultText::of(const JobSummary& s, const QString& title, Finish finish)
{
    ResultText text;
    text.paused = s.partial;
    // A stop before the first photo was done leaves an empty wall that is not empty for want of
    // photos: it says what is still to do, as any unfinished wall does.
    if (s.photos == 0 && s.videos == 0 && !s.unfinished()) {
        text.headline = tr("No photos found");
        text.details << tr("Nothing in %1 looked like a photo (JPEG, HEIC, PNG, RAW and so on).").arg(title);
        addRemarks(s, text.details);
        return text;
    }
    const int photos = TextFormat::numerus(s.photos);
    if (s.videos == 0) {
        text.headline = s.partial ? tr("Stopped early: %1 photos so far", nullptr, photos).arg(TextFormat::count(s.photos))
                                  : tr("%1 photos ready", nullptr, photos).arg(TextFormat::count(s.photos));
    } else {
        // With videos: "1,204 photos and 37 videos ready".
        const QString videos = tr("%1 videos", nullptr, TextFormat::numerus(s.videos)).arg(TextFormat::count(s.videos));
        const QString counted = s.photos > 0 ? tr("%1 photos and %2", "the photos, then the videos", photos)
                                                   .arg(TextFormat::count(s.photos), videos)
                                             : videos;
        text.headline = s.partial ? tr("Stopped early: %1 so far", "what the wall holds").arg(counted)
                                  : tr("%1 ready", "what the wall holds").arg(counted);
    }
    if (s.unfinished()) {
        const int n = TextFormat::numerus(s.toDo);
        text.details << (finish == Finish::update
                             ? tr("%1 photos are still to do. The work so far is saved: choose Update to finish the wall.",
                                  nullptr, n)
                             : tr("%1 photos are still to do. The work so far is saved: run the same build again to "
                                  "finish the wall.",
                                  nullptr, n))
                            .arg(TextFormat::count(s.toDo));
        text.offersUpdate = finish == Finish::update;
    }
    if (s.duplicates > 0)
        text.details << tr("%1 duplicate copies shown once", nullptr, TextFormat::numerus(s.duplicates)).arg(TextFormat::count(s.duplicates));
    // The page shows a raw file and the JPEG of the same name as one photo, and says so.
    if (s.rawPairs > 0)
        text.details << tr("%1 raw and JPEG pairs shown once", nullptr, TextFormat::numerus(s.rawPairs))
                            .arg(TextFormat::count(s.rawPairs));
    if (s.undatedVideos > 0) {
        // Videos without a date are grouped at the end with the photos: one sentence says both,
        // counted as the list of walls counts a wall's contents.
        text.details << tr("%1 have no date and are grouped at the end", "photos, videos or both",
                           TextFormat::numerus(s.undated + s.undatedVideos))
                            .arg(RecentText::contents(s.undated, s.undatedVideos));
    } else if (s.undated > 0) {
        text.details << tr("%1 photos have no date and are grouped at the end", nullptr, TextFormat::numerus(s.undated))
                            .arg(TextFormat::count(s.undated));
    }
    if (s.unreadable > 0) {
        text.unreadableDetail = text.details.size();
        text.details << tr("%1 files couldn't be read and were skipped", nullptr, TextFormat::numerus(s.unreadable))
                            .arg(TextFormat::count(s.unreadable));
    }
    // The playable copies of videos, made after the photos.
    if (s.videoCopies > 0)
        text.details << tr("%1 videos made playable in the browser", nullptr, TextFormat::numerus(s.videoCopies))
                            .arg(TextFormat::count(s.videoCopies));
    if (!s.noCopy.empty()) {
        const auto n = static_cast<qint64>(s.noCopy.size());
        text.details << tr("%1 videos couldn't be made playable; they play where the browser plays the original",
                           nullptr, TextFormat::numerus(n))
                            .arg(TextFormat::count(n));
    }
    if (s.copiesToDo > 0)
        text.details << tr("%1 videos are still to be made playable; the next build makes them", nullptr,
                           TextFormat::numerus(s.copiesToDo))
                            .arg(TextFormat::count(s.copiesToDo));
    addRemarks(s, text.details);
    text.hasWall = s.photos + s.videos > 0;
    if (!text.hasWall)
        return text;
    text.savedAt = tr("The wall is saved at %1. It opens in your web browser, and you can open it any time, even without "
                      "this app.")
                       .arg(PathText::fromPath(s.gallery.parent_path()));
    return text;
}

QString ResultText::unreadableHeading(const JobSummary& s)
{
    return s.unreadable == 1 ? tr("This file couldn't be read:") : tr("These files couldn't be read:");
}

QString ResultText::reason(WhyUnreadable why)
{
    switch (why) {
    case WhyUnreadable::damaged: return tr("damaged, or not a kind of photo Kestova reads");
    case WhyUnreadable::tooLarge: return tr("too large");
    case WhyUnreadable::notVideo: return tr("not a video");
    case WhyUnreadable::notSaved: return tr("its thumbnail couldn't be saved in the wall");
    case WhyUnreadable::crashed: return tr("the decoder crashed on it");
    case WhyUnreadable::passedOver: return tr("passed over: the decoder crashed on it before");
    }
    return {};
}

QStringList ResultText::noCopyList(const JobSummary& s)
{
    QStringList lines;
    for (const UnreadablePhoto& video : s.noCopy) {
        QString why;
        switch (video.why) {
        case WhyUnreadable::notSaved: why = tr("its copy couldn't be saved in the wall"); break;
        case WhyUnreadable::crashed: why = tr("the encoder crashed on it"); break;
        default: why = tr("it could not be decoded or encoded"); break;
        }
        lines << QStringLiteral("  ") + fileLine(video, why);
    }
    return lines;
}

QString ResultText::fileLine(const UnreadablePhoto& photo, const QString& why)
{
    const QString name = PathText::fromBytes(photo.rel);
    if (photo.message.empty()) {
        //: A file that couldn't be read, then why: “DCIM/IMG_1.JPG (too large)”.
        return tr("%1 (%2)", "a file name, then why it couldn't be read").arg(name, why);
    }
    // The decoder's words stay as the library wrote them, in English.
    //: A file that couldn't be read, why, and what the decoder said in its own words (left
    //: untranslated): “IMG_1.jpg (damaged, … — VipsJpeg: Premature end of JPEG file)”.
    return tr("%1 (%2 \u2014 %3)", "a file name, why it couldn't be read, then the decoder's message")
        .arg(name, why, QString::fromStdString(photo.message));
}

QString ResultText::unreadableLine(const UnreadablePhoto& photo)
{
    return fileLine(photo, reason(photo.why));
}

QStringList ResultText::unreadableNames(const JobSummary& s)
{
    QStringList names;
    names.reserve(static_cast<qsizetype>(s.unreadableFiles.size()));
    for (const UnreadablePhoto& photo : s.unreadableFiles)
        names << unreadableLine(photo);
    return names;
}

QStringList ResultText::unreadableList(const JobSummary& s, qsizetype shown)
{
    if (s.unreadable <= 0)
        return {};
    QStringList lines{unreadableHeading(s)};
    const auto named = std::min<qsizetype>(shown, static_cast<qsizetype>(s.unreadableFiles.size()));
    for (qsizetype i = 0; i < named; ++i)
        lines << QStringLiteral("  ") + unreadableLine(s.unreadableFiles[static_cast<std::size_t>(i)]);
    // The count is the truth: a list cut short still says how many files there were.
    if (const std::int64_t more = s.unreadable - named; more > 0) {
        //: The rest of a list of files, after the first ten names; %1 is a count.
        lines << QStringLiteral("  ") + tr("and %1 more").arg(TextFormat::count(more));
    }
    return lines;
}
