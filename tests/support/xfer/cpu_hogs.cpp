#include "cpu_hogs.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace xfertest {

CpuHogs::CpuHogs(int count, std::chrono::seconds limit) {
    for (int i = 0; i < count; ++i) {
        pid_t pid = fork();
        if (pid == 0) {
            // A session of its own, like a build started in another terminal:
            // the scheduler weighs it as someone else's work, not as part of
            // the test.
            setsid();
            alarm(static_cast<unsigned>(limit.count()));   // SIGALRM ends the spin
            volatile unsigned long spin = 0;
            for (;;) spin = spin + 1;
        }
        if (pid > 0) m_pids.push_back(pid);
    }
}

CpuHogs::~CpuHogs() {
    for (int pid : m_pids) kill(pid, SIGKILL);
    for (int pid : m_pids) waitpid(pid, nullptr, 0);
}

}  // namespace xfertest
