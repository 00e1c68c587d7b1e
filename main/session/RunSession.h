// What the desktop learns of the model's runs.
#pragma once

#include "model/Model.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class Notifier;
class SleepInhibitor;

/// Follows a model's runs: while one goes on, the computer is kept awake and, for the window,
/// the progress shows on the dock; when one ends or fails while the window is not the active
/// one, a notification says how it ended, and clicking it brings the window back. Everything
/// is released the moment the run ends, fails or is stopped. Main thread only.
class RunSession : public QObject {
    Q_OBJECT
public:
    /// How to tell whether the window is the active one and how to bring it forward.
    struct Window {
        std::function<bool()> isActive;
        std::function<void()> raise;
    };

    /// For the command line: keeps the computer awake, nothing more.
    explicit RunSession(Model& model, QObject* parent = nullptr);
    /// For the window: also the dock's progress and the notification at the end.
    RunSession(Model& model, Window window, QObject* parent = nullptr);
    ~RunSession() override;

    /// Which service keeps the computer awake during the run in progress; empty when none.
    QString sleepHolder() const;

private:
    void onStage(Model::Stage stage);
    void onProgress(const RunProgress& progress);
    void announceEnd(Model::Stage stage);

    Model& model;
    std::optional<Window> window;
    std::unique_ptr<SleepInhibitor> awake;
    Notifier* notifier = nullptr;
    std::optional<int> shownPercent; ///< what the dock shows, in whole percent; nothing when hidden
};
