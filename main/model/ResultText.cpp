// The result sentences, counts formatted in the user's locale.
#include "model/ResultText.h"

#include "model/Model.h"
#include "model/PathText.h"
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
        quoted << QStringLiteral("\u201C") + PathText::fromBytes(names[i]) + QStringLiteral("\u201D");
    QString text = quoted.join(QStringLiteral(", "));
    if (names.size() > shown)
        text += QStringLiteral(" and ") + TextFormat::count(static_cast<qint64>(names.size() - shown)) + QStringLiteral(" more");
    return text;
}

/// The remarks every run can have, whether or not it found photos.
void addRemarks(const JobSummary& s, QStringList& details)
{
    if (!s.unreadableFolders.empty()) {
        const bool one = s.unreadableFolders.size() == 1;
        details << (one ? QStringLiteral("The folder ") : QStringLiteral("The folders "))
                       + someNames(s.unreadableFolders)
                       + (one ? QStringLiteral(" couldn't be opened; its photos from earlier runs stay on the wall")
                              : QStringLiteral(" couldn't be opened; their photos from earlier runs stay on the wall"));
    }
    if (!s.passedOver.empty())
        details << QStringLiteral("Passed over because the decoder crashed on ")
                       + (s.passedOver.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"))
                       + QStringLiteral(" before: ") + someNames(s.passedOver)
                       + QStringLiteral(". Kestova tries again when it or its image libraries are updated");
    if (s.changed > 0)
        details << plural(s.changed, QStringLiteral("photo"), QStringLiteral("photos"))
                       + QStringLiteral(" changed while being read and ")
                       + (s.changed == 1 ? QStringLiteral("is") : QStringLiteral("are"))
                       + QStringLiteral(" left for the next update");
    // Paths the system cannot open are left out, and the user is told how many.
    if (s.tooLong > 0)
        details << plural(s.tooLong, QStringLiteral("folder or photo"), QStringLiteral("folders or photos"))
                       + QStringLiteral(" nested deeper than the system allows ")
                       + (s.tooLong == 1 ? QStringLiteral("was") : QStringLiteral("were")) + QStringLiteral(" left out");
}

} // namespace

QString ResultText::wallInUse(qint64 holder, const QString& wall)
{
    const QString who = holder > 0 ? QStringLiteral("Another Kestova (process ") + QString::number(holder) + QStringLiteral(")")
                                   : QStringLiteral("Another Kestova");
    return who + QStringLiteral(" is writing the wall in ") + wall
           + QStringLiteral(" right now. Try again when it has finished.");
}

QString ResultText::sourceMissing(const QString& root, qint64 photosLastTime)
{
    return root + QStringLiteral(" held ") + plural(photosLastTime, QStringLiteral("photo"), QStringLiteral("photos"))
           + QStringLiteral(" last time, but Kestova can't find any there now. Is the drive connected? "
                            "The wall was left as it was.");
}

ResultText ResultText::of(const JobSummary& s, const QString& title)
{
    ResultText text;
    text.paused = s.partial;
    if (s.photos == 0 && s.videos == 0) {
        text.headline = QStringLiteral("No photos found");
        text.details << QStringLiteral("Nothing in ") + title +
                            QStringLiteral(" looked like a photo (JPEG, HEIC, PNG, RAW and so on).");
        addRemarks(s, text.details);
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
    if (s.unreadable > 0) {
        text.unreadableDetail = text.details.size();
        text.details << plural(s.unreadable, QStringLiteral("file"), QStringLiteral("files")) +
                            QStringLiteral(" couldn't be read and ") +
                            (s.unreadable == 1 ? QStringLiteral("was") : QStringLiteral("were")) + QStringLiteral(" skipped");
    }
    addRemarks(s, text.details);
    text.hasWall = true;
    text.savedAt = QStringLiteral("The wall is saved at ") + PathText::fromPath(s.gallery.parent_path()) +
                   QStringLiteral(". It opens in your web browser, and you can open it any time, even without this app.");
    return text;
}

QString ResultText::unreadableHeading(const JobSummary& s)
{
    return s.unreadable == 1 ? QCoreApplication::translate("ResultText", "This file couldn't be read:")
                             : QCoreApplication::translate("ResultText", "These files couldn't be read:");
}

QStringList ResultText::unreadableNames(const JobSummary& s)
{
    QStringList names;
    names.reserve(static_cast<qsizetype>(s.unreadableFiles.size()));
    for (const std::string& rel : s.unreadableFiles)
        names << PathText::fromBytes(rel);
    return names;
}

QStringList ResultText::unreadableList(const JobSummary& s, qsizetype shown)
{
    if (s.unreadable <= 0)
        return {};
    QStringList lines{unreadableHeading(s)};
    const auto named = std::min<qsizetype>(shown, static_cast<qsizetype>(s.unreadableFiles.size()));
    for (qsizetype i = 0; i < named; ++i)
        lines << QStringLiteral("  ") + PathText::fromBytes(s.unreadableFiles[static_cast<std::size_t>(i)]);
    // The count is the truth: a list cut short still says how many files there were.
    if (const std::int64_t more = s.unreadable - named; more > 0) {
        //: The rest of a list of files, after the first ten names; %1 is a count.
        lines << QStringLiteral("  ") + QCoreApplication::translate("ResultText", "and %1 more").arg(TextFormat::count(more));
    }
    return lines;
}
