// The time a processing phase still needs, from what this run has measured so far.
//
// Photos differ by far more than their count says: on this project's machine a 12-megapixel HEIC
// takes thirty to forty times a JPEG of the same picture, a PNG costs what a JPEG of its bytes
// does but has ten times the bytes, and a video's poster costs about the same whatever the
// clip's length. So the work still to do is weighed by kind and
// size: each kind has a cost per byte (per clip for videos), learnt from the photos of that kind
// finished in this run, and until a kind has been seen, taken from the kinds that have, in the
// proportions measured on real files (bench/bench_estimate). The machine's pace (how many seconds
// of photo processing pass per second of the clock, which covers the workers, their contention and
// whatever else the machine is doing) comes from the clock itself. The estimate counts down
// smoothly between reports rather than jumping with each photo.
//
// Pure: fed with what started and finished and when, no clock and no threads of its own, so a
// recorded run can be replayed through it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

class TimeEstimate {
public:
    /// Kinds of work that cost differently per byte.
    enum class Kind {
        jpeg,  ///< decoded at reduced size
        image, ///< PNG, TIFF, WebP, GIF, BMP: decoded whole
        heif,  ///< HEIC and HEIF: decoded whole, with a preview
        raw,   ///< camera raw, developed by LibRaw, with a preview
        video, ///< one frame for the poster, whatever the length
    };
    static constexpr std::size_t kinds = 5;
    /// The kind of a photo by its name.
    static Kind kindOf(std::string_view rel);

    struct Work {
        Kind kind = Kind::jpeg;
        std::int64_t bytes = 0;
    };

    /// `todo`: every photo the phase is to process.
    explicit TimeEstimate(const std::vector<Work>& todo);

    /// Times are seconds since the phase began.
    /// A photo of the work list has started.
    void started(Work work, double at);
    /// A photo that started has finished, read or not.
    void finished(Work work, double at);

    /// Seconds still needed at `now`; nothing while too little is known for the figure to mean
    /// anything. Successive calls must not go back in time: each one moves the smoothed figure on.
    std::optional<double> remaining(double now);

    /// A start or a finish in a run, for replaying recorded or made-up runs.
    struct Event {
        Work work;
        double at = 0; ///< seconds since the phase began
        bool start = false;
    };
    /// What a replay reports at one poll: the estimate given then, and the photos finished by then.
    /// Returning false ends the replay.
    using ReplayReport = std::function<bool(double now, std::optional<double> left, std::int64_t finished)>;
    /// Feeds the events of a run over `todo` to a new estimate as they happen, asking it for the
    /// time left every `poll` seconds as the processing phase does, until `report` says enough.
    static void replay(const std::vector<Work>& todo, std::vector<Event> events, double poll, const ReplayReport& report);

    /// Photos that must have finished (and no fewer than are running at once), and seconds that
    /// must have passed, before an estimate is given: until each worker has finished a photo the
    /// pace of all of them is not known, and the first seconds say little about the machine's
    /// pace while the workers start.
    static constexpr std::int64_t shownAfterPhotos = 2;
    static constexpr double shownAfterSeconds = 4;

private:
    struct Tally {
        std::int64_t count = 0;
        double units = 0;   ///< weighed size (see weight())
        double seconds = 0; ///< processing time
    };
    static double weight(Work work);
    /// Seconds of processing per unit of a kind, from this run.
    double secondsPerUnit(Kind kind) const;

    struct Running {
        Work work;
        double since = 0;
    };

    std::array<Tally, kinds> left{}; ///< not finished, those running included
    std::array<Tally, kinds> done{};
    std::vector<Running> running;    ///< as many as there are workers
    std::optional<double> shown;
    double shownAt = 0;
};
