// Arbitrary bytes from the line into freceive: the first byte picks the
// protocol (105..109), the rest is what the sender puts on the line. The
// library runs on a virtual clock, so every time-out and retry passes at once;
// the bytes arrive at the receiver's first wait for the line, after it has
// cleared stale input and asked for the first block. The receive must never
// crash, read past a block, or write outside its folder.
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

#include "frame/port.h"
#include "korlink.h"
#include "pty_pair.h"

namespace {

constexpr int kCom = 9;
constexpr size_t kMaxLine = 4000;  // what a pty holds before the port reads it

struct Line {
    testsupport::PtyPair pty;
    int watch = -1;  // a second descriptor on the port's side, only to count what arrived
    PortHandle port = nullptr;
    std::filesystem::path folder;
    std::string pending;

    Line() {
        folder = std::filesystem::temp_directory_path() / ("fuzz_xmodem." + std::to_string(getpid()));
        std::filesystem::create_directories(folder / "inside");
        folder /= "inside";
        std::filesystem::current_path(folder);
        pty.exposeAs(kCom);
        watch = open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        port = COMMWinInit(kCom, 9600, 8, 0, 1, 8192, 512);
        if (port == nullptr || watch < 0)
            std::abort();
        COMMPortSet(port, 115, 0);  // no argument-error reports on stderr
        // Short time-outs: virtual time is cheap, but each step of it is a poll.
        COMMXMODEMSet(port, 1, 0);
        COMMXMODEMSet(port, 203, 300);
        // Whatever the receiver answers (C, NAK, ACK, CAN) goes nowhere.
        std::thread([fd = pty.master()] {
            char sink[4096];
            for (;;) {
                pollfd entry{fd, POLLIN, 0};
                if (poll(&entry, 1, 100) > 0 && read(fd, sink, sizeof sink) < 0)
                    return;
            }
        }).detach();
    }

    // Puts the pending bytes on the line and waits (real time) until the port's
    // side holds them all, so the virtual clock never runs ahead of them.
    void deliver() {
        if (pending.empty())
            return;
        pty.send(pending);
        const int wanted = static_cast<int>(pending.size());
        pending.clear();
        for (int tries = 0; tries < 2000; ++tries) {
            int queued = 0;
            if (ioctl(watch, FIONREAD, &queued) == 0 && queued >= wanted)
                return;
            poll(nullptr, 0, 1);
        }
    }
};

Line &line() {
    static Line *made = [] {
        auto *l = new Line;  // lives for the whole run
        korlink::setIdleHook([] { line().deliver(); });
        return l;
    }();
    return *made;
}

void clearFolder(const std::filesystem::path &folder) {
    for (const auto &entry : std::filesystem::directory_iterator(folder)) {
        if (entry.symlink_status().type() != std::filesystem::file_type::regular)
            std::abort();  // a received name made something other than a file
        std::filesystem::remove(entry.path());
    }
    // Nothing may land beside the receive folder.
    for (const auto &entry : std::filesystem::directory_iterator(folder.parent_path()))
        if (entry.path() != folder)
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    Line &l = line();
    const int16_t protocol = static_cast<int16_t>(105 + data[0] % 5);
    l.pending.assign(reinterpret_cast<const char *>(data + 1), std::min(size - 1, kMaxLine));
    freceive(l.port, protocol, 4096, nullptr, 0);
    l.pending.clear();
    c_rxflush(l.port, 0);
    clearFolder(l.folder);
    return 0;
}
