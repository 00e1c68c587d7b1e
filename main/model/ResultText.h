// The result screen's sentences for a finished run.
#pragma once

#include "engine/run/JobSummary.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>

struct ResultText {
    Q_DECLARE_TR_FUNCTIONS(ResultText)

public:
    bool paused = false;    ///< the run was stopped early: a pause sign instead of a check
    QString headline;
    QStringList details;    ///< in the order shown; none for a complete run without remarks
    bool hasWall = false;   ///< photos to open and show: the open and show buttons, the saved-at line
    QString savedAt;        ///< where the wall is; empty without photos
    /// Which of `details` says how many files couldn't be read, from which the window lets the
    /// user see their names; nothing when every file was read.
    std::optional<qsizetype> unreadableDetail;
    /// The wall is unfinished, and the line that says so names how to finish it: the result
    /// screen offers that Update.
    bool offersUpdate = false;

    /// How the reader finishes a wall a stop left unfinished.
    enum class Finish {
        update,     ///< the Update button beside the words (the window)
        buildAgain, ///< the same command again (a terminal)
    };

    /// The words for a run's summary; `title` is the wall's title.
    static ResultText of(const JobSummary& summary, const QString& title, Finish finish = Finish::update);

    /// The files that couldn't be read, for a terminal: a heading, then the first `shown`
    /// names with why, indented, and "and N more" for the rest. Empty when every file was read.
    static QStringList unreadableList(const JobSummary& summary, qsizetype shown = 10);
    /// The heading of that list: "This file couldn't be read:" or "These files …".
    static QString unreadableHeading(const JobSummary& summary);
    /// The files that couldn't be read, each with why, as text, in the summary's order.
    static QStringList unreadableNames(const JobSummary& summary);
    /// One of them: its name, then why in brackets, and what its decoder said when it said
    /// anything.
    static QString unreadableLine(const UnreadablePhoto& photo);
    /// A file's name with `why` (and its decoder's words) in brackets.
    static QString fileLine(const UnreadablePhoto& photo, const QString& why);
    /// Why a photo couldn't be read, in a few words: "too large", "not a video".
    static QString reason(WhyUnreadable why);
    /// The videos that got no playable copy, each with why, for the terminal; empty when none.
    static QStringList noCopyList(const JobSummary& summary);
    /// Why a run did not start: another process (0 when unknown) is writing the wall in `wall`.
    static QString wallInUse(qint64 holder, const QString& wall);
    /// Why a run left the wall as it was: `root` holds no photo now, or cannot be read.
    static QString sourceMissing(const QString& root, qint64 photosLastTime);
};
