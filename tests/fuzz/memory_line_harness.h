// What the receive fuzz targets share: one port on the library's in-memory
// device in a folder of the run's own, the library on a virtual clock, each
// input put on the line at the receiver's first wait for it, and the checks
// after each input that nothing but regular files landed, and only inside
// the receive folder. Each target is a program of its own: the line is made
// once per run.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "device/device_memory.h"
#include "frame/clock.h"
#include "korlink.h"

namespace fuzzline {

inline constexpr int kCom = 9;
// What a pty held before the port read it: inputs keep their meaning.
inline constexpr size_t kMaxLine = 4000;

inline std::filesystem::path &tempRoot() {
    static std::filesystem::path root;
    return root;
}

struct Line {
    korlink::MemoryLine &memory = korlink::memoryLine(kCom);
    PortHandle port = nullptr;
    std::filesystem::path folder;
    std::string pending;

    // `tag` names the run's folder; `configure` sets the protocol's short
    // time-outs and few retries (virtual time is cheap, but each step of it
    // is a wait).
    Line(const char *tag, void (*configure)(PortHandle)) {
        folder = std::filesystem::temp_directory_path() / (std::string(tag) + "." + std::to_string(getpid()));
        std::filesystem::create_directories(folder / "inside");
        folder /= "inside";
        std::filesystem::current_path(folder);
        korlink::useMemoryDevices(true);
        port = COMMWinInit(kCom, 9600, 8, 0, 1, 8192, 512);
        if (port == nullptr)
            std::abort();
        COMMPortSet(port, 115, 0);  // no argument-error reports on stderr
        configure(port);
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

inline Line *&madeLine() {
    static Line *made = nullptr;
    return made;
}

// The run's line, made at the first call (it lives for the whole run).
inline Line &line(const char *tag, void (*configure)(PortHandle)) {
    if (madeLine() == nullptr) {
        madeLine() = new Line(tag, configure);
        korlink::useVirtualClock([] { madeLine()->deliver(); });
    }
    return *madeLine();
}

// Takes the next input: up to kMaxLine bytes for the line.
inline void takeInput(Line &l, const uint8_t *data, size_t size) {
    l.pending.assign(reinterpret_cast<const char *>(data), std::min(size, kMaxLine));
}

inline void clearFolder(const std::filesystem::path &folder) {
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

// After a receive: what is left of the input and whatever the receiver
// answered go nowhere, and the folder is checked and emptied.
inline void endInput(Line &l) {
    l.pending.clear();
    c_rxflush(l.port, 0);
    l.memory.takeOutgoing();
    clearFolder(l.folder);
}

}  // namespace fuzzline
