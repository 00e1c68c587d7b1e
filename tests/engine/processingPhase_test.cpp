// The processing phase on the pool's inline twin: which photos got records, which could not be
// read or changed, what a stop leaves, and what the journal keeps; no thread involved.
#include "engine/run/ProcessingPhase.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

FileEntry entry(const std::string& rel)
{
    return FileEntry{rel, 10, 20};
}

/// A process function by name: "bad…" cannot be read, "moving…" changes while read, others
/// get a record whose key is their name.
PhotoOutcome byName(const FileEntry& e)
{
    if (e.rel.starts_with("bad"))
        return PhotoOutcome::unreadable(WhyUnreadable::tooLarge);
    if (e.rel.starts_with("moving"))
        return PhotoOutcome::changed();
    if (e.rel.starts_with("full"))
        throw JobError(JobErrorTexts::wallUnwritable, {"wall"}, ENOSPC);
    return PhotoOutcome::done(Record::make(e.rel, 1, 1, "", e.mtime, e.size));
}

/// Each photo's end, in the order the phase gives them.
std::vector<std::pair<std::string, PhotoEnd>> ends(const ProcessingPhase::Outcome& outcome)
{
    std::vector<std::pair<std::string, PhotoEnd>> all;
    for (const ProcessingPhase::Ended& photo : outcome.ended)
        all.emplace_back(photo.rel, photo.end);
    return all;
}

ProcessingPhase::Settings inlineSettings()
{
    ProcessingPhase::Settings settings;
    settings.jobs = 0;
    return settings;
}

} // namespace

TEST(ProcessingPhase, OutcomesOfEachKindAndOlderRecordsKept)
{
    TempDir dir;
    const std::vector<FileEntry> todo{entry("a.jpg"), entry("bad.jpg"), entry("moving.jpg"), entry("b.jpg")};
    CacheMap map;
    map["bad.jpg"] = Record::make("old", 2, 2, "", 1, 1);    // an earlier record of a photo now damaged
    map["moving.jpg"] = Record::make("old", 3, 3, "", 1, 1); // and of one being rewritten
    map["kept.jpg"] = Record::make("kept", 4, 4, "", 1, 1);  // reused, not in the work list
    auto journal = std::make_shared<PhotoJournal>(dir / ".inflight", todo);
    journal->open();
    const auto outcome = ProcessingPhase::run(map, todo, journal, byName, inlineSettings());
    journal->close();

    EXPECT_EQ(ends(outcome), (std::vector<std::pair<std::string, PhotoEnd>>{{"a.jpg", PhotoEnd::done},
                                                                             {"bad.jpg", PhotoEnd::unreadable},
                                                                             {"moving.jpg", PhotoEnd::changed},
                                                                             {"b.jpg", PhotoEnd::done}}));
    EXPECT_EQ(outcome.ended[1].why, WhyUnreadable::tooLarge);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_FALSE(outcome.machineFailure);
    EXPECT_EQ(outcome.map.size(), 5u);
    EXPECT_EQ(outcome.map.at("a.jpg").key, "a.jpg");
    EXPECT_EQ(outcome.map.at("bad.jpg").key, "old");
    EXPECT_EQ(outcome.map.at("moving.jpg").key, "old");
    EXPECT_EQ(outcome.map.at("kept.jpg").key, "kept");
    EXPECT_FALSE(fs::exists(dir / ".inflight")) << "every photo ended, so there is nothing to carry";
}

TEST(ProcessingPhase, AStopLeavesThePhotosAfterItUnprocessed)
{
    TempDir dir;
    const std::vector<FileEntry> todo{entry("a.jpg"), entry("b.jpg"), entry("c.jpg"), entry("d.jpg")};
    auto journal = std::make_shared<PhotoJournal>(dir / ".inflight", todo);
    int calls = 0;
    auto settings = inlineSettings();
    settings.cancelled = [&calls] { return calls >= 2; };
    const auto outcome = ProcessingPhase::run({}, todo, journal,
                                              [&calls](const FileEntry& e) {
                                                  ++calls;
                                                  return byName(e);
                                              },
                                              settings);
    EXPECT_EQ(outcome.with(PhotoEnd::done), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(outcome.ended.size(), 2u) << "a photo a stop kept from starting has no end";
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.map.size(), 2u);
}

TEST(ProcessingPhase, AMachineFailureStopsThePhaseWithoutBlamingThePhoto)
{
    TempDir dir;
    const std::vector<FileEntry> todo{entry("a.jpg"), entry("full.jpg"), entry("b.jpg")};
    auto journal = std::make_shared<PhotoJournal>(dir / ".inflight", todo);
    journal->open();
    const auto outcome = ProcessingPhase::run({}, todo, journal, byName, inlineSettings());
    journal->close();
    ASSERT_TRUE(outcome.machineFailure);
    EXPECT_EQ(outcome.machineFailure->systemError(), ENOSPC);
    EXPECT_EQ(ends(outcome), (std::vector<std::pair<std::string, PhotoEnd>>{{"a.jpg", PhotoEnd::done}}));
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.map.size(), 1u);
    PhotoJournal next(dir / ".inflight", todo);
    EXPECT_FALSE(next.isSuspect(entry("full.jpg"))) << "the photo did nothing wrong";
}

TEST(ProcessingPhase, AProcessThatThrowsMakesThePhotoUnreadable)
{
    TempDir dir;
    const std::vector<FileEntry> todo{entry("a.jpg"), entry("b.jpg")};
    auto journal = std::make_shared<PhotoJournal>(dir / ".inflight", todo);
    const auto outcome = ProcessingPhase::run({}, todo, journal,
                                              [](const FileEntry& e) -> PhotoOutcome {
                                                  if (e.rel == "a.jpg")
                                                      throw std::bad_alloc();
                                                  return byName(e);
                                              },
                                              inlineSettings());
    EXPECT_EQ(ends(outcome), (std::vector<std::pair<std::string, PhotoEnd>>{{"a.jpg", PhotoEnd::unreadable},
                                                                             {"b.jpg", PhotoEnd::done}}));
}

TEST(ProcessingPhase, AStopLeavesAPhotoThatNeverReturnsBehindWithinAboutASecond)
{
    TempDir dir;
    const std::vector<FileEntry> todo{entry("stuck.jpg"), entry("a.jpg"), entry("b.jpg")};
    auto journal = std::make_shared<PhotoJournal>(dir / ".inflight", todo);
    journal->open();
    auto release = std::make_shared<std::latch>(1);
    auto inFlight = std::make_shared<std::latch>(1);
    std::atomic<bool> stop{false};
    ProcessingPhase::Settings settings;
    settings.jobs = 2;
    settings.stallLimit = 1h;
    settings.stopLimit = 1s;
    settings.cancelled = [&stop] { return stop.load(); };
    // The stop is asked for once the stuck photo is in flight and the others are done.
    settings.onUpdate = [&](const JobUpdate& u) {
        const auto* t = std::get_if<JobUpdates::Thumbnails>(&u);
        if (t && t->done == 2)
            stop = true;
    };
    const auto before = std::chrono::steady_clock::now();
    const auto outcome = ProcessingPhase::run({}, todo, journal,
                                              [release, inFlight](const FileEntry& e) {
                                                  if (e.rel == "stuck.jpg") {
                                                      inFlight->count_down();
                                                      release->wait();
                                                  }
                                                  return byName(e);
                                              },
                                              settings);
    const auto took = std::chrono::steady_clock::now() - before;
    journal->close();
    EXPECT_LT(took, 10s);
    EXPECT_TRUE(outcome.stopped);
    // Left by the stop: not done yet, and neither unreadable nor slow.
    EXPECT_EQ(ends(outcome), (std::vector<std::pair<std::string, PhotoEnd>>{{"a.jpg", PhotoEnd::done},
                                                                             {"b.jpg", PhotoEnd::done},
                                                                             {"stuck.jpg", PhotoEnd::stopped}}));
    // Being left behind by a stop counts nothing against the photo: the next run tries it as any other.
    PhotoJournal next(dir / ".inflight", todo);
    EXPECT_FALSE(next.isSuspect(entry("stuck.jpg")));
    EXPECT_FALSE(next.passesOver(entry("stuck.jpg")));
    release->count_down(); // the worker comes back to a phase that is over
}

TEST(ProcessingPhase, APhotoThatMakesNoProgressIsLeftBehindAfterTheStallLimit)
{
    TempDir dir;
    const std::vector<FileEntry> todo{entry("a.jpg"), entry("stuck.jpg")};
    auto journal = std::make_shared<PhotoJournal>(dir / ".inflight", todo);
    journal->open();
    auto release = std::make_shared<std::latch>(1);
    ProcessingPhase::Settings settings;
    settings.jobs = 2;
    settings.stallLimit = 500ms;
    const auto outcome = ProcessingPhase::run({}, todo, journal,
                                              [release](const FileEntry& e) {
                                                  if (e.rel == "stuck.jpg")
                                                      release->wait();
                                                  return byName(e);
                                              },
                                              settings);
    journal->close();
    EXPECT_FALSE(outcome.stopped);
    EXPECT_EQ(ends(outcome), (std::vector<std::pair<std::string, PhotoEnd>>{{"a.jpg", PhotoEnd::done},
                                                                             {"stuck.jpg", PhotoEnd::stalled}}));
    release->count_down();
}
