// Arbitrary bytes from the line into a Kermit freceive (protocol 104): what a
// sender puts on the line, packets or not. The port
// is opened on the library's in-memory device and the library runs on a
// virtual clock, so every time-out and retry passes at once; the bytes arrive
// at the receiver's first wait for the line, after it has cleared stale input.
// The receive must never crash, read past a packet, or write outside its
// folder.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "device/device_memory.h"
#include "frame/clock.h"
#include "korlink.h"

namespace {

constexpr int kCom = 9;
constexpr size_t kMaxLine = 4000;  // what a pty held before the port read it: inputs keep their meaning

std::filesystem::path &tempRoot() {
    static std::filesystem::path root;
    return root;
}

struct Line {
    korlink::MemoryLine &memory = korlink::memoryLine(kCom);
    PortHandle port = nullptr;
    std::filesystem::path folder;
    std::string pending;

    Line() {
        folder = std::filesystem::temp_directory_path() / ("fuzz_kermit." + std::to_string(getpid()));
        std::filesystem::create_directories(folder / "inside");
        folder /= "inside";
        std::filesystem::current_path(folder);
        korlink::useMemoryDevices(true);
        port = COMMWinInit(kCom, 9600, 8, 0, 1, 8192, 512);
        if (port == nullptr)
            std::abort();
        COMMPortSet(port, 115, 0);  // no argument-error reports on stderr
        // Few retries: virtual time is cheap, but each step of it is a wait.
        COMMKermitSet(port, KORLINK_KERMIT_RETRY_LIMIT, 2);
        COMMKermitSet(port, KORLINK_KERMIT_TIMEOUT_MS, 300);
        // The run's folder goes when the run ends.
        tempRoot() = folder.parent_path();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(tempRoot(), ignored);
        });
    }

    // Puts the pending bytes on the line at the first idle step that finds
    // them, so they arrive at a fixed virtual time.
    void deliver() {
        if (pending.empty())
            return;
        memory.feed(pending);
        pending.clear();
    }
};

Line &line() {
    static Line *made = [] {
        auto *l = new Line;  // lives for the whole run
        korlink::useVirtualClock([] { line().deliver(); });
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
    Line &l = line();
    l.pending.assign(reinterpret_cast<const char *>(data), std::min(size, kMaxLine));
    COMMKermitSet(l.port, KORLINK_KERMIT_USED_TIME, 1);
    freceive(l.port, KORLINK_PROTO_KERMIT, 4096, nullptr, 0);
    l.pending.clear();
    c_rxflush(l.port, 0);
    l.memory.takeOutgoing();  // whatever the receiver answered goes nowhere
    clearFolder(l.folder);
    return 0;
}
