// Shared pieces of the transfer tests: temporary folders, test files, the
// status recorder behind a StatusCallback, and an open port on a pty pair.
#pragma once

#include "korlink.h"
#include "pty_pair.h"
#include "test_files.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace xfertest {

namespace fs = std::filesystem;

using testfiles::TempDir;

// Makes `dir` the working directory for its lifetime (freceive writes there).
class ScopedWorkingDir {
public:
    explicit ScopedWorkingDir(const fs::path &dir);
    ~ScopedWorkingDir();

private:
    fs::path m_previous;
};

std::vector<uint8_t> patternBytes(size_t count, uint32_t seed);
std::vector<uint8_t> allByteValues(size_t repeat);
using testfiles::readFile;
using testfiles::readText;
using testfiles::writeFile;

// True when `received` is `sent` followed only by padding (SUB or the pad
// byte) up to a whole number of blocks.
bool equalUpToPadding(const std::vector<uint8_t> &sent, const std::vector<uint8_t> &received,
                      size_t blockSize);

// One status report; the names of KORLINK_STATUS_FILE_NAME, _RENAMED and
// _FILE_OPENING are copied at report time.
struct Report {
    int32_t status;
    intptr_t param;
    std::string name;
    bool operator==(const Report &other) const = default;
};

// Collects the reports of every transfer (thread-safe: background transfers
// report from their worker).
class StatusRecorder {
public:
    static StatusRecorder &instance();
    static int callback(PortHandle port, int32_t status, intptr_t param);
    void clear();
    std::vector<Report> reports() const;
    std::vector<intptr_t> paramsOf(int32_t status) const;
    bool contains(int32_t status, intptr_t param) const;

private:
    mutable std::mutex m_lock;
    std::vector<Report> m_reports;
};

inline constexpr int testCom = 7;

// Control bytes as the scripted peers send and expect them.
inline constexpr uint8_t ACK = 6, NAK = 21, CAN = 24, EOT = 4;

// The next byte from the far side of `line`, or -1 when none came in `limit`.
int awaitByte(testsupport::PtyPair &line,
              std::chrono::milliseconds limit = std::chrono::seconds(5));

// The library's port on the slave of a pty pair (9600 8N1 as the
// application opens it); closed at the end.
class OpenPort {
public:
    OpenPort();
    ~OpenPort();
    PortHandle handle() const { return m_handle; }
    testsupport::PtyPair &line() { return *m_line; }

private:
    std::unique_ptr<testsupport::PtyPair> m_line;
    PortHandle m_handle = nullptr;
};

// Builds an XMODEM block as a sender would: header, number, complement,
// data (padded with SUB to the block size) and the check.
std::vector<uint8_t> makeBlock(uint32_t number, const std::vector<uint8_t> &data,
                               size_t blockSize, bool crc);

}  // namespace xfertest
