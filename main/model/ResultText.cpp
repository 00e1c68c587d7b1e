// The result sentences, counts formatted in the user's locale.
#include "model/ResultText.h"

#include "model/Model.h"
#include "model/PathText.h"
#include "model/TextFormat.h"

#include <QCoreApplication>

#include <algorithm>

ResultText ResultText::of(const JobSummary& s, const QString& title)
{
    ResultText text;
    text.paused = s.partial;
    if (s.photos == 0) {
        text.headline = QStringLiteral("No photos found");
        text.details << QStringLiteral("Nothing in ") + title +
                            QStringLiteral(" looked like a photo (JPEG, HEIC, PNG, RAW and so on).");
        return text;
    }
    // The counted headlines keep the word "photos" even for one.
    text.headline = s.partial ? QStringLiteral("Stopped early: ") + TextFormat::count(s.photos) + QStringLiteral(" photos so far")
                              : TextFormat::count(s.photos) + QStringLiteral(" photos ready");
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
