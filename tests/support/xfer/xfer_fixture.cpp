#include "xfer_fixture.h"

#include <algorithm>
#include <stdexcept>

namespace xfertest {

ScopedWorkingDir::ScopedWorkingDir(const fs::path &dir) : m_previous(fs::current_path()) {
    fs::current_path(dir);
}

ScopedWorkingDir::~ScopedWorkingDir() { fs::current_path(m_previous); }

std::vector<uint8_t> patternBytes(size_t count, uint32_t seed) {
    std::vector<uint8_t> bytes(count);
    uint32_t state = seed * 2654435761u + 1;
    for (uint8_t &byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

std::vector<uint8_t> allByteValues(size_t repeat) {
    std::vector<uint8_t> bytes;
    for (size_t r = 0; r < repeat; ++r)
        for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

int awaitByte(testsupport::PtyPair &line, std::chrono::milliseconds limit) {
    std::string got = line.receive(1, limit);
    return got.empty() ? -1 : static_cast<uint8_t>(got[0]);
}

bool equalUpToPadding(const std::vector<uint8_t> &sent, const std::vector<uint8_t> &received,
                      size_t blockSize) {
    if (received.size() < sent.size() || received.size() % blockSize != 0) return false;
    if (!std::equal(sent.begin(), sent.end(), received.begin())) return false;
    return received.size() - sent.size() <= blockSize &&
           std::all_of(received.begin() + static_cast<long>(sent.size()), received.end(),
                       [](uint8_t byte) { return byte == 0x1A || byte == 0; });
}

StatusRecorder &StatusRecorder::instance() {
    static StatusRecorder recorder;
    return recorder;
}

int StatusRecorder::callback(PortHandle, int32_t status, intptr_t param) {
    Report report{status, param, {}};
    if (status == KORLINK_STATUS_FILE_NAME || status == KORLINK_STATUS_RENAMED ||
        status == KORLINK_STATUS_FILE_OPENING)
        report.name = reinterpret_cast<const char *>(param);
    static const bool trace = std::getenv("XFER_TRACE") != nullptr;  // for diagnosing a failure
    if (trace) std::fprintf(stderr, "report %d %ld %s\n", status, static_cast<long>(param), report.name.c_str());
    std::lock_guard<std::mutex> guard(instance().m_lock);
    instance().m_reports.push_back(report);
    return 0;
}

void StatusRecorder::clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_reports.clear();
}

std::vector<Report> StatusRecorder::reports() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_reports;
}

std::vector<intptr_t> StatusRecorder::paramsOf(int32_t status) const {
    std::vector<intptr_t> params;
    for (const Report &report : reports())
        if (report.status == status) params.push_back(report.param);
    return params;
}

bool StatusRecorder::contains(int32_t status, intptr_t param) const {
    for (const Report &report : reports())
        if (report.status == status && report.param == param) return true;
    return false;
}

OpenPort::OpenPort() : m_line(std::make_unique<testsupport::PtyPair>()) {
    m_line->exposeAs(testCom);
    m_handle = COMMWinInit(testCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    if (!m_handle) throw std::runtime_error("COMMWinInit failed on the pty");
    StatusRecorder::instance().clear();
}

OpenPort::~OpenPort() {
    if (m_handle) COMMPortDeinit(m_handle, 0);
}

std::vector<uint8_t> makeBlock(uint32_t number, const std::vector<uint8_t> &data,
                               size_t blockSize, bool crc) {
    std::vector<uint8_t> block{static_cast<uint8_t>(blockSize == 1024 ? 2 : 1),
                               static_cast<uint8_t>(number), static_cast<uint8_t>(~number)};
    std::vector<uint8_t> payload = data;
    payload.resize(blockSize, 0x1A);
    block.insert(block.end(), payload.begin(), payload.end());
    uint16_t check = 0;
    for (uint8_t byte : payload) check = crc ? crc_ccitt(check, byte) : checksum(check, byte);
    if (crc) block.push_back(static_cast<uint8_t>(check >> 8));
    block.push_back(static_cast<uint8_t>(check));
    return block;
}

}  // namespace xfertest
