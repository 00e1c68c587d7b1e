// Tying the sleep inhibitor, the dock's progress and the end-of-run notification to the stages.
#include "session/RunSession.h"

#include "model/ResultText.h"
#include "session/LauncherEntry.h"
#include "session/Notifier.h"
#include "session/SleepInhibitor.h"

#include <cmath>

RunSession::RunSession(Model& model, QObject* parent) : QObject(parent), model(model)
{
    connect(&model, &Model::stageChanged, this, &RunSession::onStage);
    if (model.stage() == Model::Stage::running)
        onStage(Model::Stage::running);
}

RunSession::RunSession(Model& model, Window window, QObject* parent) : RunSession(model, parent)
{
    this->window = std::move(window);
    notifier = new Notifier(this);
    connect(notifier, &Notifier::activated, this, [this] { this->window->raise(); });
    connect(&model, &Model::progressChanged, this, &RunSession::onProgress);
}

RunSession::~RunSession()
{
    if (shownPercent)
        LauncherEntry::show(std::nullopt);
}

QString RunSession::sleepHolder() const
{
    return awake ? awake->holder() : QString();
}

void RunSession::onStage(Model::Stage stage)
{
    if (stage == Model::Stage::running) {
        if (!awake)
            awake = std::make_unique<SleepInhibitor>(tr("Building a wall of photos"));
        return;
    }
    const bool wasRunning = awake != nullptr;
    awake.reset();
    if (!window || !wasRunning)
        return;
    if (shownPercent) {
        shownPercent.reset();
        LauncherEntry::show(std::nullopt);
    }
    announceEnd(stage);
}

void RunSession::onProgress(const RunProgress& progress)
{
    if (model.stage() != Model::Stage::running)
        return;
    const std::optional<double> fraction = progress.fraction;
    // The dock redraws on whole percents; finer reports would only flood the bus.
    const std::optional<int> percent =
        fraction ? std::optional<int>(static_cast<int>(std::floor(*fraction * 100))) : std::nullopt;
    if (percent == shownPercent)
        return;
    shownPercent = percent;
    LauncherEntry::show(percent ? std::optional<double>(*percent / 100.0) : std::nullopt);
}

void RunSession::announceEnd(Model::Stage stage)
{
    // The user who is looking at the window sees the result screen; only one who went
    // elsewhere is told.
    if (window->isActive())
        return;
    if (stage == Model::Stage::done && model.summary())
        notifier->notify(ResultText::of(*model.summary(), model.currentTitle()).headline, model.currentTitle());
    else if (stage == Model::Stage::failed)
        notifier->notify(tr("Something went wrong"), model.error());
}
