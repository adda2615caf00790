// The in-memory backend: operations over a MemoryLine. Modem lines are
// unreadable (-1), as on a pseudo-terminal; output is accepted at once and
// goes out at once unless the harness holds it (MemoryLine::holdOutput).
#include "device/device_memory.h"

#include "device/device_open.h"
#include "device/device_ops.h"
#include "frame/library_state.h"

#include <algorithm>
#include <map>
#include <memory>

namespace korlink {

MemoryLine::MemoryLine() {
    m_settings.c_cflag = CS8 | CREAD | CLOCAL;
    cfsetspeed(&m_settings, B9600);
}

void MemoryLine::feed(const uint8_t *data, size_t count) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_incoming.insert(m_incoming.end(), data, data + count);
}

void MemoryLine::feed(const std::string &bytes) {
    feed(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

std::string MemoryLine::takeOutgoing() {
    std::lock_guard<std::mutex> guard(m_lock);
    std::string taken;
    taken.swap(m_outgoing);
    return taken;
}

size_t MemoryLine::pendingInput() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_incoming.size();
}

void MemoryLine::holdOutput(bool held) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_outputHeld = held;
    if (held) return;
    m_outgoing += m_queued;
    m_queued.clear();
}

int32_t MemoryLine::queuedOutput() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<int32_t>(m_queued.size());
}

void MemoryLine::purgeOutput() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_queued.clear();
}

int32_t MemoryLine::read(uint8_t *data, int32_t count) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto taken = static_cast<int32_t>(std::min<size_t>(m_incoming.size(), static_cast<size_t>(count)));
    std::copy_n(m_incoming.begin(), taken, data);
    m_incoming.erase(m_incoming.begin(), m_incoming.begin() + taken);
    return taken;
}

void MemoryLine::write(const uint8_t *data, int32_t count) {
    std::lock_guard<std::mutex> guard(m_lock);
    std::string &to = m_outputHeld ? m_queued : m_outgoing;
    to.append(reinterpret_cast<const char *>(data), static_cast<size_t>(count));
}

termios MemoryLine::settings() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_settings;
}

void MemoryLine::setSettings(const termios &block) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_settings = block;
}

void MemoryLine::setOutputLine(int bit, bool high) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_outputLines = high ? (m_outputLines | bit) : (m_outputLines & ~bit);
}

bool MemoryLine::claim() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_open) return false;
    m_open = true;
    return true;
}

// Closing discards what is pending both ways, as a tty's flush does.
void MemoryLine::release(bool keepSettings, const termios &saved) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_incoming.clear();
    m_queued.clear();
    if (!keepSettings) m_settings = saved;
    m_open = false;
}

namespace {

std::mutex g_linesLock;
std::map<int, std::unique_ptr<MemoryLine>> g_lines;

int32_t memoryRead(Port &port, uint8_t *data, int32_t count) { return port.memoryLine->read(data, count); }

int32_t memoryWrite(Port &port, const uint8_t *data, int32_t count) {
    port.memoryLine->write(data, count);
    return count;
}

// Nothing to poll: time passes on the process's clock until the harness has
// fed something (a virtual clock lets its idle hook feed here).
bool memoryWaitInput(Port &port, int ms) {
    if (port.memoryLine->pendingInput() == 0) passIdleTime(ms);
    return true;
}

bool memoryWaitOutput(Port &) { return true; }
int32_t memoryTransmitQueued(Port &port) { return port.memoryLine->queuedOutput(); }

int memoryPurgeTransmit(Port &port) {
    port.memoryLine->purgeOutput();
    return 0;
}
int32_t memoryModemLine(Port &, int) { return -1; }
void memorySwitchLine(Port &port, int bit, bool high) { port.memoryLine->setOutputLine(bit, high); }
int memorySetBreak(Port &, bool) { return 0; }

bool memoryReadSettings(Port &port, termios &block) {
    block = port.memoryLine->settings();
    return true;
}

bool memoryWriteSettings(Port &port, const termios &block) {
    port.memoryLine->setSettings(block);
    return true;
}

void memoryClose(Port &port, bool keepSettings) {
    if (port.memoryLine == nullptr) return;
    port.memoryLine->release(keepSettings, port.savedSettings);
    port.memoryLine = nullptr;
}

const DeviceOps kMemoryOps = {
    .read = memoryRead,
    .write = memoryWrite,
    .waitInput = memoryWaitInput,
    .waitOutput = memoryWaitOutput,
    .transmitQueued = memoryTransmitQueued,
    .purgeTransmit = memoryPurgeTransmit,
    .modemLine = memoryModemLine,
    .switchLine = memorySwitchLine,
    .setBreak = memorySetBreak,
    .readSettings = memoryReadSettings,
    .writeSettings = memoryWriteSettings,
    .close = memoryClose,
};

}  // namespace

MemoryLine &memoryLine(int com) {
    std::lock_guard<std::mutex> guard(g_linesLock);
    std::unique_ptr<MemoryLine> &line = g_lines[com];
    if (!line) line = std::make_unique<MemoryLine>();
    return *line;
}

void useMemoryDevices(bool on) { selectDeviceBackend(on ? DeviceBackend::Memory : DeviceBackend::Termios); }

int openMemoryDevice(Port &port, int com) {
    MemoryLine &line = memoryLine(com);
    if (!line.claim()) return KORLINK_E_DEVICE;
    port.memoryLine = &line;
    port.ops = &kMemoryOps;
    return KORLINK_OK;
}

}  // namespace korlink
