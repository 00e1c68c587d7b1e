// The job's settings, stop flag and locations.
#include "engine/Indexer.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

namespace fs = std::filesystem;

Indexer::Indexer(fs::path root_, fs::path out_, std::string title_, bool dedupe_, UpdateHandler onUpdate_)
    : root(std::move(root_)), out(std::move(out_)), title(std::move(title_)), shouldDedupe(dedupe_),
      jobs(jobsFor(availableProcessors())), onUpdate(std::move(onUpdate_))
{
}

bool Indexer::cancelled() const
{
    std::lock_guard guard(lock);
    return _cancelled;
}

void Indexer::cancel()
{
    std::lock_guard guard(lock);
    _cancelled = true;
}

int Indexer::jobsFor(int processors)
{
    return std::clamp(processors, 2, 6);
}

int Indexer::availableProcessors()
{
    // The processors this process may run on, which a container or taskset can limit below
    // the machine's count.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return CPU_COUNT(&set);
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

fs::path Indexer::findTemplate()
{
    // 1. beside the program (the build tree copies it there); 2. the installed share folder
    // relative to the program, so a relocated install works; 3. the configured install prefix;
    // 4. the build tree the program was built in.
    std::vector<fs::path> candidates;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        candidates.push_back(exe.parent_path() / "template.html");
        candidates.push_back(exe.parent_path().parent_path() / "share" / "kestova" / "template.html");
    }
    candidates.emplace_back(fs::path(KESTOVA_DATA_DIR) / "template.html");
    candidates.emplace_back(fs::path(KESTOVA_BUILD_RESOURCES) / "template.html");
    for (const auto& candidate : candidates) {
        if (fs::is_regular_file(candidate, ec))
            return candidate;
    }
    // Absent everywhere: run() fails with the missing-template message when it gets there.
    return candidates.front();
}
