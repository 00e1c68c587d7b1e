// Time-left benchmark: records real processing runs, and replays recorded runs through the
// estimates to compare them with what really happened.
//   bench_estimate record SOURCE_DIR OUT_DIR [--by-name] > run.tsv
//   bench_estimate replay RUN.tsv...
// record walks SOURCE_DIR as a build does (--by-name: in name order, the oldest folders first
// when they are named by date), processes every photo into OUT_DIR on the workers a build uses,
// and prints one line per photo in the work list's order: its extension, its bytes, and when
// its processing started and finished, in seconds from the start of the phase.
// replay prints, for each run, the estimate of the seconds left at 10 %, 50 % and 90 % of the
// run's time against the truth, for the average rate over all photos (the estimate builds had
// before this one) and for TimeEstimate, as the processing phase reports it every 0.15 s.
#include "engine/run/Indexer.h"
#include "engine/walk/LivePhotos.h"
#include "engine/base/AsciiText.h"
#include "engine/cache/PhotoJournal.h"
#include "engine/run/ProcessingPhase.h"
#include "engine/decode/Processors.h"
#include "engine/run/TimeEstimate.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Photo {
    std::string extension;
    std::int64_t bytes = 0;
    double started = 0;
    double finished = 0;
};

struct Recording {
    std::string name;
    int jobs = 0;
    std::vector<Photo> photos; ///< in the work list's order
};

int record(const fs::path& source, const fs::path& out, bool byName)
{
    Indexer indexer(source, out, "bench", false, nullptr);
    std::vector<FileEntry> todo = LivePhotos::pairLivePhotos(scan(indexer.walkSettings())).entries;
    if (byName)
        std::sort(todo.begin(), todo.end(), [](const FileEntry& a, const FileEntry& b) { return a.rel < b.rel; });
    if (todo.empty()) {
        std::fprintf(stderr, "bench_estimate: no photos in %s\n", source.c_str());
        return 1;
    }
    fs::remove_all(out);
    fs::create_directories(out);
    std::map<std::string, std::size_t> index;
    std::vector<Photo> photos(todo.size());
    for (std::size_t i = 0; i < todo.size(); ++i) {
        index[todo[i].rel] = i;
        photos[i].extension = AsciiText::lowerExtension(todo[i].rel);
        photos[i].bytes = todo[i].size;
    }

    ProcessingPhase::Settings settings;
    settings.jobs = Processors::jobsFor(Processors::available());
    settings.stallLimit = std::chrono::hours(1);
    const auto journal = std::make_shared<PhotoJournal>(out / ".inflight", todo);
    std::mutex lock;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto since = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    journal->open();
    ProcessingPhase::run({}, todo, journal, [&](const FileEntry& entry) {
        const double started = since();
        PhotoOutcome result = processPhoto(indexer.photoWork(), entry, KeepThumbnail::never, PhotoExtras{true, false});
        const double finished = since();
        std::lock_guard guard(lock);
        photos[index.at(entry.rel)].started = started;
        photos[index.at(entry.rel)].finished = finished;
        return result;
    }, settings);
    journal->close();

    std::printf("# jobs %d\n# extension, bytes, started, finished (seconds since the phase began)\n", settings.jobs);
    for (const Photo& photo : photos)
        std::printf("%s\t%lld\t%.3f\t%.3f\n", photo.extension.c_str(), static_cast<long long>(photo.bytes), photo.started,
                    photo.finished);
    return 0;
}

std::optional<Recording> read(const fs::path& file)
{
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    Recording recording;
    recording.name = file.stem().string();
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("# jobs "))
            recording.jobs = std::stoi(line.substr(7));
        if (line.empty() || line.front() == '#')
            continue;
        std::istringstream fields(line);
        Photo photo;
        fields >> photo.extension >> photo.bytes >> photo.started >> photo.finished;
        if (fields)
            recording.photos.push_back(photo);
    }
    return recording;
}

/// Seconds left as builds estimated them before: the photos left at the average rate since the
/// start, once 21 photos are done.
std::optional<double> averageRate(std::int64_t total, std::int64_t finished, double elapsed)
{
    if (finished < 21)
        return std::nullopt;
    return static_cast<double>(total - finished) / (static_cast<double>(finished) / elapsed);
}

std::string errorText(std::optional<double> estimate, double truth)
{
    if (!estimate)
        return "none";
    char text[32];
    std::snprintf(text, sizeof text, "%+.0f%%", 100 * (*estimate / truth - 1));
    return text;
}

void replay(const Recording& recording)
{
    double end = 0;
    for (const Photo& photo : recording.photos)
        end = std::max(end, photo.finished);
    const auto total = static_cast<std::int64_t>(recording.photos.size());
    std::vector<TimeEstimate::Work> todo;
    std::vector<TimeEstimate::Event> events;
    std::map<std::string, std::pair<int, double>> kinds; // extension -> photos, seconds
    for (const Photo& photo : recording.photos) {
        const TimeEstimate::Work work{TimeEstimate::kindOf("." + photo.extension), photo.bytes};
        todo.push_back(work);
        events.push_back({work, photo.started, true});
        events.push_back({work, photo.finished, false});
        auto& [count, seconds] = kinds[photo.extension];
        ++count;
        seconds += photo.finished - photo.started;
    }

    const double poll = 0.15;
    const double marks[] = {0.1, 0.5, 0.9};
    std::string before[3], after[3];
    std::size_t mark = 0;
    std::optional<double> firstShown;
    TimeEstimate::replay(todo, events, poll, [&](double now, std::optional<double> shown, std::int64_t finished) {
        if (shown && !firstShown)
            firstShown = now;
        for (; mark < 3 && now + poll > marks[mark] * end; ++mark) {
            const double truth = end - now;
            before[mark] = errorText(averageRate(total, finished, now), truth);
            after[mark] = errorText(shown, truth);
        }
        return mark < 3;
    });
    std::string mix;
    for (const auto& [extension, tally] : kinds) {
        char part[64];
        std::snprintf(part, sizeof part, "%s%d %s %.2fs", mix.empty() ? "" : ", ", tally.first, extension.c_str(),
                      tally.second / tally.first);
        mix += part;
    }
    std::printf("%-22s %4lld photos %6.1fs, %d jobs (%s); first estimate at %.1fs\n", recording.name.c_str(),
                static_cast<long long>(total), end, recording.jobs, mix.c_str(), firstShown.value_or(NAN));
    std::printf("  %-20s %8s %8s %8s\n", "", "10%", "50%", "90%");
    std::printf("  %-20s %8s %8s %8s\n", "average rate", before[0].c_str(), before[1].c_str(), before[2].c_str());
    std::printf("  %-20s %8s %8s %8s\n", "by kind", after[0].c_str(), after[1].c_str(), after[2].c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "record" && argc >= 4)
        return record(argv[2], argv[3], argc > 4 && std::string(argv[4]) == "--by-name");
    if (mode == "replay" && argc >= 3) {
        for (int i = 2; i < argc; ++i) {
            const auto recording = read(argv[i]);
            if (!recording || recording->photos.empty()) {
                std::fprintf(stderr, "bench_estimate: cannot read %s\n", argv[i]);
                return 1;
            }
            replay(*recording);
        }
        return 0;
    }
    std::fputs("usage: bench_estimate record SOURCE_DIR OUT_DIR [--by-name] > run.tsv\n"
               "       bench_estimate replay RUN.tsv...\n",
               stderr);
    return 2;
}
