// Reaching the model's private setters from outside, for tests and screenshots only.
#include "ui/states/ModelStates.h"

namespace {

// An explicit instantiation may name private members; each one below hands a pointer to one
// member out through a friend function, so the model itself needs no test hooks.
template <typename Tag, typename Tag::type Member>
struct Grant {
    friend typename Tag::type get(Tag) { return Member; }
};

#define KESTOVA_GRANT(TagName, Type, Member)            \
    struct TagName {                                    \
        using type = Type;                              \
        friend type get(TagName);                       \
    };                                                  \
    template struct Grant<TagName, &Member>;

KESTOVA_GRANT(StageField, Model::Stage Model::*, Model::_stage)
KESTOVA_GRANT(SetStatus, void (Model::*)(const QString&), Model::setStatus)
KESTOVA_GRANT(SetDetail, void (Model::*)(const QString&), Model::setDetail)
KESTOVA_GRANT(SetFraction, void (Model::*)(std::optional<double>), Model::setFraction)
KESTOVA_GRANT(SetSummary, void (Model::*)(std::optional<JobSummary>), Model::setSummary)
KESTOVA_GRANT(SetError, void (Model::*)(const QString&), Model::setError)
KESTOVA_GRANT(SetCurrentTitle, void (Model::*)(const QString&), Model::setCurrentTitle)
KESTOVA_GRANT(SetRecents, void (Model::*)(QList<Recent>), Model::setRecents)

#undef KESTOVA_GRANT

void enter(Model& m, Model::Stage stage)
{
    if (m.stage() == stage)
        return;
    m.*get(StageField{}) = stage;
    Q_EMIT m.stageChanged(stage);
}

} // namespace

namespace ModelStates {

void running(Model& m, const QString& title, const QString& status, const QString& detail,
             std::optional<double> fraction)
{
    (m.*get(SetCurrentTitle{}))(title);
    enter(m, Model::Stage::running);
    progress(m, status, detail, fraction);
}

void progress(Model& m, const QString& status, const QString& detail, std::optional<double> fraction)
{
    (m.*get(SetStatus{}))(status);
    (m.*get(SetDetail{}))(detail);
    (m.*get(SetFraction{}))(fraction);
}

void done(Model& m, const JobSummary& summary, const QString& title)
{
    (m.*get(SetCurrentTitle{}))(title);
    (m.*get(SetSummary{}))(summary);
    // A screen already showing is rebuilt for the new result.
    enter(m, Model::Stage::idle);
    enter(m, Model::Stage::done);
}

void failed(Model& m, const QString& message)
{
    (m.*get(SetError{}))(message);
    enter(m, Model::Stage::idle);
    enter(m, Model::Stage::failed);
}

void idle(Model& m)
{
    enter(m, Model::Stage::idle);
}

void recents(Model& m, const QList<Recent>& recents)
{
    (m.*get(SetRecents{}))(recents);
}

} // namespace ModelStates
