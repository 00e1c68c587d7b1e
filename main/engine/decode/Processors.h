// How many photos a job processes at once.
#pragma once

namespace Processors {

/// The processors this process may run on (sched_getaffinity), which a container or taskset
/// can limit below the machine's count.
int available();
/// Photos processed at once for that many processors: clamped to 2..6.
int jobsFor(int processors);

} // namespace Processors
