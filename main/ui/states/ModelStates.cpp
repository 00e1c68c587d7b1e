// Putting the model into any state, for tests and screenshots only.
#include "ui/states/ModelStates.h"

// The model lets this one type at its private setters, for tests and screenshots only.
struct ModelStatesAccess {
    static void enter(Model& m, Model::Stage stage)
    {
        if (m.stage() == stage)
            return;
        m._stage = stage;
        Q_EMIT m.stageChanged(stage);
    }
    static void setProgress(Model& m, const RunProgress& v) { m.setProgress(v); }
    static void setSummary(Model& m, std::optional<JobSummary> v) { m.setSummary(std::move(v)); }
    static void setError(Model& m, const QString& v) { m.setError(v); }
    static void setCurrentTitle(Model& m, const QString& v) { m.setCurrentTitle(v); }
    static void setRecents(Model& m, QList<Recent> v) { m.setRecents(std::move(v)); }
};

namespace {

using Access = ModelStatesAccess;

void enter(Model& m, Model::Stage stage)
{
    Access::enter(m, stage);
}

} // namespace

namespace ModelStates {

void running(Model& m, const QString& title, const QString& status, const QString& detail,
             std::optional<double> fraction)
{
    Access::setCurrentTitle(m, title);
    enter(m, Model::Stage::running);
    progress(m, status, detail, fraction);
}

void progress(Model& m, const QString& status, const QString& detail, std::optional<double> fraction)
{
    Access::setProgress(m, {status, detail, fraction});
}

void done(Model& m, const JobSummary& summary, const QString& title)
{
    Access::setCurrentTitle(m, title);
    Access::setSummary(m, summary);
    // A screen already showing is rebuilt for the new result.
    enter(m, Model::Stage::idle);
    enter(m, Model::Stage::done);
}

void failed(Model& m, const QString& message)
{
    Access::setError(m, message);
    enter(m, Model::Stage::idle);
    enter(m, Model::Stage::failed);
}

void idle(Model& m)
{
    enter(m, Model::Stage::idle);
}

void recents(Model& m, const QList<Recent>& recents)
{
    Access::setRecents(m, recents);
}

JobSummary summary(qint64 photos, qint64 duplicates, qint64 undated, qint64 unreadable, bool partial,
                   const std::filesystem::path& gallery)
{
    JobSummary s;
    s.photos = photos;
    s.found = photos + duplicates;
    s.duplicates = duplicates;
    s.undated = undated;
    s.unreadable = unreadable;
    // Names as a phone's camera folder has them, so the list of unreadable files looks real; a
    // damaged one with what libheif says of a photo cut short.
    for (qint64 i = 0; i < unreadable; ++i) {
        const bool tooLarge = i % 7 == 3;
        s.unreadableFiles.push_back(
            {"DCIM/" + std::to_string(100 + i / 1000) + "APPLE/IMG_" + std::to_string(4001 + i % 1000) + ".HEIC",
             tooLarge ? WhyUnreadable::tooLarge : WhyUnreadable::damaged,
             tooLarge ? std::string() : std::string("heif: Invalid input: Unexpected end of file")});
    }
    s.partial = partial;
    s.gallery = gallery;
    return s;
}

} // namespace ModelStates
