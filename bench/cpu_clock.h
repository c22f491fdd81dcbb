// The processor time of the calling thread as a std::chrono clock. The
// benchmarks time their work with it, so that a machine busy with other work
// does not lengthen what they report.
#pragma once

#include <chrono>
#include <ctime>

namespace velmor::bench {

struct ThreadCpuClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<ThreadCpuClock>;
    static constexpr bool is_steady = true;

    static time_point now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return time_point(duration(std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec)));
    }
};

}  // namespace velmor::bench
