// The time a processing phase still needs, weighed by the kinds of photo left.
#include "engine/run/TimeEstimate.h"

#include "engine/walk/PhotoKinds.h"
#include "engine/base/AsciiText.h"

#include <algorithm>
#include <cmath>

namespace {

std::size_t slot(TimeEstimate::Kind kind)
{
    return static_cast<std::size_t>(kind);
}

/// What a byte of each kind costs beside a byte of JPEG, and what a video costs beside a byte
/// of JPEG, as measured on this project's machine (the runs recorded in bench/estimate/): a kind
/// first met late in a run is foreseen with these until its own photos are measured. Camera raw
/// is a guess, for want of raw files to measure.
constexpr double jpegPerByte = 1;
constexpr double imagePerByte = 1;
constexpr double heifPerByte = 27;
constexpr double rawPerByte = 2;
constexpr double videoEach = 25e6;
/// Opening a file, reading its metadata and writing the thumbnail cost something whatever the
/// photo's size: a thumbnail of a 10 KB photo is not free.
constexpr double bytesPerPhoto = 150e3;

/// A kind's cost is drawn towards what the other kinds suggest for it as if this many of its
/// photos had cost that: the first HEIC measured does not yet outweigh what fifty JPEGs say.
constexpr double priorPhotos = 2;

/// How quickly the figure shown follows the figure measured; shorter reacts to every photo,
/// longer lags behind a change of pace.
constexpr double smoothingSeconds = 2;

} // namespace

TimeEstimate::Kind TimeEstimate::kindOf(std::string_view rel)
{
    if (PhotoKinds::isVideo(rel))
        return Kind::video;
    const std::string extension = AsciiText::lowerExtension(rel);
    if (extension == "jpg" || extension == "jpeg")
        return Kind::jpeg;
    if (extension == "heic" || extension == "heif")
        return Kind::heif;
    if (PhotoKinds::rawExt().contains(extension))
        return Kind::raw;
    return Kind::image;
}

double TimeEstimate::weight(Work work)
{
    const double bytes = static_cast<double>(std::max<std::int64_t>(work.bytes, 0)) + bytesPerPhoto;
    switch (work.kind) {
    case Kind::jpeg:
        return jpegPerByte * bytes;
    case Kind::image:
        return imagePerByte * bytes;
    case Kind::heif:
        return heifPerByte * bytes;
    case Kind::raw:
        return rawPerByte * bytes;
    case Kind::video:
        break;
    }
    return videoEach;
}

TimeEstimate::TimeEstimate(const std::vector<Work>& todo)
{
    for (const Work& work : todo) {
        Tally& tally = left[slot(work.kind)];
        ++tally.count;
        tally.units += weight(work);
    }
}

void TimeEstimate::started(Work work, double at)
{
    running.push_back({work, at});
}

void TimeEstimate::finished(Work work, double at)
{
    Tally& remaining = left[slot(work.kind)];
    if (remaining.count > 0) {
        --remaining.count;
        remaining.units = remaining.count > 0 ? std::max(0.0, remaining.units - weight(work)) : 0;
    }
    const auto run = std::find_if(running.begin(), running.end(), [&](const Running& r) {
        return r.work.kind == work.kind && r.work.bytes == work.bytes;
    });
    if (run == running.end())
        return; // never said to have started: it tells nothing of what a photo costs
    Tally& tally = done[slot(work.kind)];
    ++tally.count;
    tally.units += weight(work);
    tally.seconds += std::max(0.0, at - run->since);
    running.erase(run);
}

double TimeEstimate::secondsPerUnit(Kind kind) const
{
    double units = 0;
    double seconds = 0;
    for (const Tally& tally : done) {
        units += tally.units;
        seconds += tally.seconds;
    }
    const double overall = units > 0 ? seconds / units : 0;
    // The kind's own measure, drawn towards the overall one while it rests on few photos.
    const Tally& own = done[slot(kind)];
    const Tally& still = left[slot(kind)];
    const std::int64_t count = own.count + still.count;
    if (count == 0)
        return overall;
    const double typical = (own.units + still.units) / static_cast<double>(count);
    return (own.seconds + priorPhotos * typical * overall) / (own.units + priorPhotos * typical);
}

std::optional<double> TimeEstimate::remaining(double now)
{
    std::int64_t finished = 0;
    double busy = 0;
    for (const Tally& tally : done) {
        finished += tally.count;
        busy += tally.seconds;
    }
    // Each worker has finished a photo: the pace of all of them at once is known.
    const auto atOnce = static_cast<std::int64_t>(running.size());
    if (finished < std::max(shownAfterPhotos, atOnce) || now < shownAfterSeconds || busy <= 0)
        return std::nullopt;
    double work = 0;
    for (std::size_t kind = 0; kind < kinds; ++kind)
        work += left[kind].units * secondsPerUnit(static_cast<Kind>(kind));
    // The photos running now are partly done: as far as they have run, at most what they are
    // expected to take (one that takes longer is taken to be nearly done).
    for (const Running& run : running) {
        const double ran = std::max(0.0, now - run.since);
        busy += ran;
        work -= std::min(ran, weight(run.work) * secondsPerUnit(run.work.kind));
    }
    // Seconds of processing done per second of the clock: the workers running at once, slowed by
    // whatever else the machine does.
    const double pace = busy / now;
    const double measured = std::max(0.0, work) / pace;
    if (!shown) {
        shown = measured;
    } else {
        // What was shown, counted down since, moved part of the way towards what is measured now.
        const double since = std::max(0.0, now - shownAt);
        const double countedDown = std::max(0.0, *shown - since);
        const double follow = 1 - std::exp(-since / smoothingSeconds);
        shown = countedDown + follow * (measured - countedDown);
    }
    shownAt = now;
    return shown;
}

void TimeEstimate::replay(const std::vector<Work>& todo, std::vector<Event> events, double poll, const ReplayReport& report)
{
    // In the order they happened; at the same moment a finish before a start, as a worker
    // finishes one photo before it takes the next.
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.at < b.at || (a.at == b.at && !a.start && b.start); });
    TimeEstimate estimate(todo);
    std::size_t next = 0;
    std::int64_t finished = 0;
    for (double now = poll;; now += poll) {
        for (; next < events.size() && events[next].at <= now; ++next) {
            if (events[next].start) {
                estimate.started(events[next].work, events[next].at);
            } else {
                estimate.finished(events[next].work, events[next].at);
                ++finished;
            }
        }
        if (!report(now, estimate.remaining(now), finished))
            return;
    }
}
