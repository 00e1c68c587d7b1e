// The application's one state object: its stage, the run in progress, its texts and the recent walls.
#pragma once

#include "engine/run/JobSummary.h"
#include "engine/run/JobUpdate.h"
#include "model/PlatformActions.h"
#include "model/Recent.h"
#include "model/RunProgress.h"

#include <QList>
#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

class Indexer;
class RunOutbox;

Q_DECLARE_METATYPE(JobSummary)

/// Overrides for one run, for kestova-cli; an empty field takes the model's own choice.
struct RunOptions {
    std::optional<std::filesystem::path> out; ///< the wall's folder instead of galleryDir()
    std::optional<QString> title;              ///< the wall's title instead of title()
    std::optional<bool> dedupe;                ///< this run only; the stored setting is unchanged
    bool fillPreviews = false;                 ///< make the previews a wall built before them lacks
    /// Whether the wall is portable from now on (the wall remembers it); nothing: portable when
    /// the stored setting says so, else as the wall remembers.
    std::optional<bool> portable;
    std::optional<bool> videoCopies;           ///< a playable copy of every video, not only the short ones; this run only
    bool waitForWall = false;                  ///< wait while another process writes the wall
    bool retryPassedOver = false;              ///< try again the photos passed over for crashing a decoder
};

/// Every operation and every field change happens on the main thread, and every change signal
/// is emitted there. A run works on a thread of its own that the model owns, and reaches the
/// model only by queued posting, so a report or the outcome is applied in the order it was sent.
class Model : public QObject {
    Q_OBJECT
    Q_PROPERTY(Stage stage READ stage WRITE setStage NOTIFY stageChanged)
    Q_PROPERTY(RunProgress progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(std::optional<JobSummary> summary READ summary NOTIFY summaryChanged)
    Q_PROPERTY(QString error READ error NOTIFY errorChanged)
    Q_PROPERTY(QString currentTitle READ currentTitle NOTIFY currentTitleChanged)
    Q_PROPERTY(QList<Recent> recents READ recents NOTIFY recentsChanged)
    Q_PROPERTY(bool dedupe READ dedupe WRITE setDedupe NOTIFY dedupeChanged)
    Q_PROPERTY(bool portable READ portable WRITE setPortable NOTIFY portableChanged)
    Q_PROPERTY(bool videoCopies READ videoCopies WRITE setVideoCopies NOTIFY videoCopiesChanged)

public:
    /// Which screen the interface shows.
    enum class Stage { idle, running, done, failed };
    Q_ENUM(Stage)
    /// What the last failure was, for kestova-cli's exit status.
    enum class Failure { other, wallInUse };

    /// The application's one model, created on first use (on the main thread) and never
    /// destroyed.
    static Model& shared();

    /// A model of its own, loading "recents", "dedupe", "portable" and "videoCopies" from the settings
    /// store. The application uses shared(); tests make their own.
    explicit Model(QObject* parent = nullptr);
    /// Stops the run in progress as Stop does and blocks until its thread has ended (its work
    /// saved and its wall written); what it posts meanwhile is dropped.
    ~Model() override;

    Stage stage() const { return _stage; }
    /// The interface returns to idle when the user leaves the result or failure screen.
    void setStage(Stage stage);
    /// The texts and the fraction of the run in progress, or of the last one.
    RunProgress progress() const { return _progress; }
    /// The result of the last run that finished.
    std::optional<JobSummary> summary() const { return _summary; }
    /// The message of the last failure.
    QString error() const { return _error; }
    Failure failure() const { return _failure; }
    QString currentTitle() const { return _currentTitle; }
    /// The walls built recently, newest first.
    QList<Recent> recents() const { return _recents; }
    bool dedupe() const { return _dedupe; }
    /// Stores the setting at once.
    void setDedupe(bool dedupe);
    /// Whether the walls built from now on are portable (a wall that is stays so without it).
    bool portable() const { return _portable; }
    /// Stores the setting at once.
    void setPortable(bool portable);
    /// Whether every video that browsers cannot play gets a playable copy, the long ones too
    /// (the short ones and live photos' clips always do).
    bool videoCopies() const { return _videoCopies; }
    /// Stores the setting at once.
    void setVideoCopies(bool everyVideo);

    /// Installs the desktop's services; without them choosing a folder and opening a wall do
    /// nothing.
    void installActions(std::unique_ptr<PlatformActions> actions);
    PlatformActions* actions() const { return _actions.get(); }

    /// The wall's title for a source: its display name; "Computer" for "/".
    static QString title(const std::filesystem::path& root);
    /// The wall's folder for a source: "_Photo Gallery" inside it when it can take it, else a
    /// folder named after the title under Pictures/Kestova. Creates nothing.
    static std::filesystem::path galleryDir(const std::filesystem::path& root, const QString& title);
    /// The time left in words: "under a minute", "about 5 minutes", "about 1 hour, 20 minutes".
    static QString duration(double seconds);

    /// Starts a run on a folder given as raw path bytes; kestova-cli may override the choices.
    void start(const std::filesystem::path& path, const RunOptions& options = {});

public Q_SLOTS:
    /// Asks for a folder with the desktop's chooser, then starts a run on it.
    void choose();
    /// Starts a run on a folder or drive given as path text. Ignored while a run is in progress.
    void start(const QString& path);
    /// Asks the run in progress to stop and shows "Stopping…".
    void cancel();
    /// The program is about to end (the window closed, the session ends, a signal): a run in
    /// progress stops as Stop makes it, and this waits (running the event loop) until it has
    /// saved its work and written its wall, or `limitMs` has passed. True when no run is left.
    bool stopRunBeforeQuitting(int limitMs);
    /// Opens the entry's wall in the browser, or fails when its index.html is gone.
    void open(const Recent& recent);
    /// Runs again on the entry's source, or fails when the source is gone.
    void update(const Recent& recent);
    /// On the result screen: runs again on the source of the run just finished, as Update in
    /// Your walls does (to finish a wall that a stop left unfinished).
    void updateFinished();
    /// Removes every entry equal to this one from the list; no file is touched.
    void forget(const Recent& recent);

Q_SIGNALS:
    void stageChanged(Model::Stage stage);
    /// Once per report that changes the progress, with the whole new value.
    void progressChanged(const RunProgress& progress);
    void summaryChanged();
    void errorChanged(const QString& error);
    void currentTitleChanged(const QString& currentTitle);
    void recentsChanged();
    void dedupeChanged(bool dedupe);
    void portableChanged(bool portable);
    void videoCopiesChanged(bool everyVideo);

private:
    friend class RunOutbox;
    /// Puts a model into any state for the window's tests and screenshots (main/ui/states).
    friend struct ModelStatesAccess;

    void setProgress(const RunProgress& progress);
    void setSummary(std::optional<JobSummary> summary);
    void setError(const QString& error);
    void setCurrentTitle(const QString& title);
    void setRecents(QList<Recent> recents);

    void applyUpdate(const JobUpdate& update);
    void finish(const JobSummary& summary, const QString& root, const QString& title);
    void stopped();
    void fail(const QString& message, Failure failure = Failure::other);
    void saveRecents() const;
    /// Starts a run on `root` again, or fails when it is gone.
    void runAgain(const QString& root);

    Stage _stage = Stage::idle;
    RunProgress _progress;
    std::optional<JobSummary> _summary;
    QString _error;
    Failure _failure = Failure::other;
    QString _currentTitle;
    QString _finishedRoot; ///< the source of the run whose summary is shown
    QList<Recent> _recents;
    bool _dedupe = true;
    bool _portable = false;
    bool _videoCopies = false;

    std::shared_ptr<Indexer> job;            ///< the run in progress
    /// The last run's thread. A new run's start joins it: by then it has posted its outcome
    /// and has only to return.
    std::jthread runner;
    std::shared_ptr<RunOutbox> outbox;       ///< how runs post back; outlives the model if need be
    std::unique_ptr<PlatformActions> _actions;
};

/// The count with the locale's digit grouping, a space and the singular word for exactly 1,
/// else the plural word: "1 photo", "0 photos", "1,500 photos".
QString plural(qint64 n, const QString& singular, const QString& pluralWord);
