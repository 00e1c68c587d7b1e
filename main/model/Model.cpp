// The model's stages, its runs and the recent walls.
#include "model/Model.h"

#include "engine/run/Indexer.h"
#include "engine/base/JobErrors.h"
#include "model/FailureText.h"
#include "model/PathText.h"
#include "model/ProgressText.h"
#include "model/ResultText.h"
#include "model/RunOutbox.h"
#include "model/SettingsStore.h"
#include "model/TextFormat.h"
#include "model/WallLocation.h"

#include <QEventLoop>
#include <QTimer>

#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr int recentLimit = 8;


bool isThere(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

} // namespace

Model& Model::shared()
{
    static Model* const instance = new Model;
    return *instance;
}

Model::Model(QObject* parent)
    : QObject(parent), _recents(SettingsStore::loadRecents()), _dedupe(SettingsStore::loadDedupe()),
      _portable(SettingsStore::loadPortable()),
      _videoCopies(SettingsStore::loadVideoCopies()),
      outbox(std::make_shared<RunOutbox>(this))
{
}

Model::~Model()
{
    outbox->detach();
    if (job)
        job->cancel();
    if (runner.joinable())
        runner.join();
}

void Model::installActions(std::unique_ptr<PlatformActions> actions)
{
    _actions = std::move(actions);
}

QString Model::duration(double seconds)
{
    return TextFormat::duration(seconds);
}

QString plural(qint64 n, const QString& singular, const QString& pluralWord)
{
    return TextFormat::count(n) + QLatin1Char(' ') + (n == 1 ? singular : pluralWord);
}

// --- fields

void Model::setStage(Stage stage)
{
    // Only the end of a run leaves `running`; the interface sets idle from the result and
    // failure screens.
    if (_stage == Stage::running || _stage == stage)
        return;
    _stage = stage;
    Q_EMIT stageChanged(stage);
}

void Model::setProgress(const RunProgress& progress)
{
    if (_progress == progress)
        return;
    _progress = progress;
    Q_EMIT progressChanged(_progress);
}

void Model::setSummary(std::optional<JobSummary> summary)
{
    if (_summary == summary)
        return;
    _summary = std::move(summary);
    Q_EMIT summaryChanged();
}

void Model::setError(const QString& error)
{
    if (_error == error)
        return;
    _error = error;
    Q_EMIT errorChanged(error);
}

void Model::setCurrentTitle(const QString& title)
{
    if (_currentTitle == title)
        return;
    _currentTitle = title;
    Q_EMIT currentTitleChanged(title);
}

void Model::setRecents(QList<Recent> recents)
{
    _recents = std::move(recents);
    Q_EMIT recentsChanged();
}

void Model::setDedupe(bool dedupe)
{
    SettingsStore::saveDedupe(dedupe);
    if (_dedupe == dedupe)
        return;
    _dedupe = dedupe;
    Q_EMIT dedupeChanged(dedupe);
}

void Model::setPortable(bool portable)
{
    SettingsStore::savePortable(portable);
    if (_portable == portable)
        return;
    _portable = portable;
    Q_EMIT portableChanged(portable);
}

void Model::setVideoCopies(bool everyVideo)
{
    SettingsStore::saveVideoCopies(everyVideo);
    if (_videoCopies == everyVideo)
        return;
    _videoCopies = everyVideo;
    Q_EMIT videoCopiesChanged(everyVideo);
}

// --- runs

void Model::choose()
{
    if (_stage == Stage::running || !_actions)
        return;
    const auto chosen = _actions->chooseFolder(
        tr("Build Kestova"), tr("Choose a drive or folder. Kestova finds every photo inside it, including in subfolders."));
    if (chosen)
        start(*chosen);
}

void Model::start(const QString& path)
{
    start(PathText::toPath(path));
}

void Model::start(const fs::path& path, const RunOptions& options)
{
    if (_stage == Stage::running)
        return;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        // A mistyped path or a drive that is not mounted: telling the user to pick a folder
        // instead of a file would send them looking for a file that is not there.
        fail(tr("%1 doesn't exist. Check the name, or connect the drive it is on.").arg(PathText::fromPath(path)));
        return;
    }
    if (!fs::is_directory(status)) {
        fail(tr("Kestova works on folders and drives. Choose a folder rather than a single file."));
        return;
    }
    const fs::path root = WallLocation::standardized(path);
    const QString title = options.title.value_or(Model::title(root));
    const fs::path out = options.out ? WallLocation::standardized(*options.out) : galleryDir(root, title);
    const QString rootText = PathText::fromPath(root);

    setCurrentTitle(title);
    _stage = Stage::running;
    Q_EMIT stageChanged(_stage);
    setProgress({ProgressText::tr("Looking for photos…"), rootText, std::nullopt});
    setSummary(std::nullopt);

    const bool dedupeRun = options.dedupe.value_or(_dedupe);
    // The handler runs on the job's thread: it only copies the report and posts it.
    std::shared_ptr<RunOutbox> box = outbox;
    job = std::make_shared<Indexer>(root, out, PathText::toBytes(title), dedupeRun, [box](const JobUpdate& update) {
        box->post([update](Model& model) { model.applyUpdate(update); });
    });
    job->fillPreviews = options.fillPreviews;
    // The setting makes walls portable; off, it leaves each wall as it remembers itself, so that
    // a portable wall's update from Your walls keeps making its copies.
    job->portable = options.portable ? options.portable : _portable ? std::optional<bool>(true) : std::nullopt;
    job->everyVideoCopy = options.videoCopies.value_or(_videoCopies);
    job->waitForWall = options.waitForWall;
    job->retryPassedOver = options.retryPassedOver;

    runner = std::jthread([job = job, box, rootText, title] {
        try {
            const JobSummary summary = job->run();
            box->post([summary, rootText, title](Model& model) { model.finish(summary, rootText, title); });
        } catch (const JobCancelled&) {
            box->post([](Model& model) { model.stopped(); });
        } catch (const WallInUse& busy) {
            box->post([message = ResultText::wallInUse(busy.holder, PathText::fromPath(busy.wall))](Model& model) {
                model.fail(message, Failure::wallInUse);
            });
        } catch (const SourceMissing& missing) {
            box->post([message = ResultText::sourceMissing(PathText::fromPath(missing.root), missing.photosLastTime)](
                          Model& model) { model.fail(message); });
        } catch (const JobError& error) {
            box->post([message = FailureText::of(error)](Model& model) { model.fail(message); });
        } catch (const std::exception& error) {
            box->post([message = QString::fromUtf8(error.what())](Model& model) { model.fail(message); });
        } catch (...) {
            box->post([](Model& model) { model.fail(tr("The wall could not be built.")); });
        }
    });
}

void Model::applyUpdate(const JobUpdate& update)
{
    if (_stage != Stage::running)
        return;
    // After Stop the texts keep saying "Stopping…" until the run ends.
    if (job && job->cancelled())
        return;
    setProgress(ProgressText::forUpdate(update));
}

void Model::cancel()
{
    if (job)
        job->cancel();
    // The run's last count stays beside it until the run ends.
    RunProgress stopping = _progress;
    stopping.status = tr("Stopping…");
    setProgress(stopping);
}

bool Model::stopRunBeforeQuitting(int limitMs)
{
    if (_stage != Stage::running)
        return true;
    cancel();
    QEventLoop loop;
    const QMetaObject::Connection ended = connect(this, &Model::stageChanged, &loop, [&loop](Stage stage) {
        if (stage != Stage::running)
            loop.quit();
    });
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    loop.exec();
    disconnect(ended);
    return _stage != Stage::running;
}

void Model::finish(const JobSummary& summary, const QString& root, const QString& title)
{
    job.reset();
    setSummary(summary);
    _stage = Stage::done;
    Q_EMIT stageChanged(_stage);

    const QString gallery = PathText::fromPath(summary.gallery);
    QList<Recent> recents;
    _finishedRoot = root;
    recents.append(Recent{root, gallery, title, summary.photos, QDateTime::currentDateTimeUtc(), summary.videos,
                          summary.unfinished() ? summary.toDo : 0});
    for (const Recent& recent : std::as_const(_recents)) {
        if (!sameText(recent.root, root))
            recents.append(recent);
    }
    if (recents.size() > recentLimit)
        recents.resize(recentLimit);
    setRecents(std::move(recents));
    saveRecents();

    if (summary.photos + summary.videos >= 1 && !summary.partial && _actions)
        _actions->openFile(gallery);
}

void Model::stopped()
{
    _stage = Stage::idle;
    Q_EMIT stageChanged(_stage);
    job.reset();
}

void Model::fail(const QString& message, Failure failure)
{
    job.reset();
    _failure = failure;
    setError(message);
    _stage = Stage::failed;
    Q_EMIT stageChanged(_stage);
}

// --- recent walls

void Model::saveRecents() const
{
    SettingsStore::saveRecents(_recents);
}

void Model::open(const Recent& recent)
{
    if (isThere(PathText::toPath(recent.gallery))) {
        if (_actions)
            _actions->openFile(recent.gallery);
        return;
    }
    // A run in progress must end on its own; the list is not on screen during one anyway.
    if (_stage != Stage::running)
        fail(tr("That gallery isn't there anymore. If it was on an external drive, plug the drive in and try again, or "
                "choose Update to rebuild it."));
}

void Model::update(const Recent& recent)
{
    runAgain(recent.root);
}

void Model::updateFinished()
{
    if (_stage == Stage::done && !_finishedRoot.isEmpty())
        runAgain(_finishedRoot);
}

void Model::runAgain(const QString& root)
{
    if (_stage == Stage::running)
        return;
    if (isThere(PathText::toPath(root))) {
        start(root);
        return;
    }
    fail(tr("Can't find %1. If it's an external drive, plug it in and try again.").arg(root));
}

void Model::forget(const Recent& recent)
{
    QList<Recent> kept;
    for (const Recent& entry : std::as_const(_recents)) {
        if (!(entry == recent))
            kept.append(entry);
    }
    if (kept.size() != _recents.size())
        setRecents(std::move(kept));
    saveRecents();
}
