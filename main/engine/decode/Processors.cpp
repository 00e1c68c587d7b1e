// The processors a job may use.
#include "engine/decode/Processors.h"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace Processors {

int available()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return CPU_COUNT(&set);
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

int jobsFor(int processors)
{
    return std::clamp(processors, 2, 6);
}

} // namespace Processors
