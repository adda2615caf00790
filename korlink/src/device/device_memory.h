// The in-memory backend: a line that lives in the process instead of a tty.
// Bytes the library writes collect in an outgoing buffer; bytes "from the
// line" are fed by the harness. Together with the virtual clock
// (frame/clock.h) a harness runs transfers without a terminal, without
// sleeping and repeatably. Internal to the library and its harnesses (fuzz
// targets link the library's objects); nothing here is exported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <termios.h>

namespace korlink {

struct Port;

class MemoryLine {
public:
    MemoryLine();

    // Puts bytes on the line for the port to receive.
    void feed(const uint8_t *data, size_t count);
    void feed(const std::string &bytes);
    // Takes (and clears) what the port has written so far.
    std::string takeOutgoing();
    // Bytes fed but not yet read by the port.
    size_t pendingInput() const;
    // A line held by flow control: while held, what the port writes stays
    // queued (its transmit queue) instead of going out; letting go sends it.
    void holdOutput(bool held);
    int32_t queuedOutput() const;
    void purgeOutput();

    // --- used by the backend, under the line's lock ---
    int32_t read(uint8_t *data, int32_t count);
    void write(const uint8_t *data, int32_t count);
    termios settings() const;
    void setSettings(const termios &block);
    void setOutputLine(int bit, bool high);
    bool claim();        // false while a port has it open (an exclusive open)
    void release(bool keepSettings, const termios &saved);

private:
    mutable std::mutex m_lock;
    std::deque<uint8_t> m_incoming;
    std::string m_outgoing;
    std::string m_queued;      // written while the output is held
    bool m_outputHeld = false;
    termios m_settings{};
    int m_outputLines = 0;
    bool m_open = false;
};

// The line standing for COM `com`, made on first use; it lives as long as the
// process, like a device node outlives the ports opened on it.
MemoryLine &memoryLine(int com);

// From now on (process-wide) COMMWinInit opens memory lines instead of ttys;
// false goes back to the termios backend. Ports already open keep theirs.
void useMemoryDevices(bool on);

// Opens the memory line of COM `com` on the port; 0, or -117 while another
// port has it open.
int openMemoryDevice(Port &port, int com);

}  // namespace korlink
