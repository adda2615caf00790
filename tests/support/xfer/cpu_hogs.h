// CPU load for tests and benchmarks that must hold up on a busy machine:
// child processes, each in a session of its own, that spin until they are
// stopped. Each one also ends by
// itself after a time limit, so a crashed test leaves no spinner behind.
#pragma once

#include <chrono>
#include <vector>

namespace xfertest {

class CpuHogs {
public:
    CpuHogs(int count, std::chrono::seconds limit);
    ~CpuHogs();   // kills every hog it started, by process id
    CpuHogs(const CpuHogs &) = delete;
    CpuHogs &operator=(const CpuHogs &) = delete;

private:
    std::vector<int> m_pids;
};

}  // namespace xfertest
