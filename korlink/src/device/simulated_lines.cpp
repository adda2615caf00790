#include "device/simulated_lines.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace korlink {

namespace {

const char *lineName(int bit) {
    switch (bit) {
    case TIOCM_CAR: return "CD";
    case TIOCM_DSR: return "DSR";
    case TIOCM_CTS: return "CTS";
    case TIOCM_RNG: return "RI";
    case TIOCM_DTR: return "DTR";
    case TIOCM_RTS: return "RTS";
    default: return nullptr;
    }
}

}  // namespace

std::string simulatedLinesFolder(int com) {
    char name[40];
    std::snprintf(name, sizeof name, "KORLINK_LINES%d", com);
    const char *folder = std::getenv(name);
    return folder != nullptr ? folder : "";
}

int32_t simulatedLine(const Port &port, int bit) {
    const char *name = lineName(bit);
    if (name == nullptr) return -1;
    std::string path = port.simulatedLines + "/" + name;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    char state = 0;
    ssize_t got = ::read(fd, &state, 1);
    ::close(fd);
    return got == 1 && state == '1' ? 1 : 0;
}

// Written to a temporary file and renamed, so a reader never sees a file
// half written.
void recordSimulatedOutput(const Port &port, int bit, bool high) {
    const char *name = lineName(bit);
    if (name == nullptr) return;
    std::string path = port.simulatedLines + "/" + name;
    std::string temporary = path + ".new";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    bool written = ::write(fd, high ? "1" : "0", 1) == 1;
    ::close(fd);
    if (written) std::rename(temporary.c_str(), path.c_str());
}

}  // namespace korlink
