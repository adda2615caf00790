#include "transfer/receive_file.h"

#include "transfer/transfer_link.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace korlink {

ReceiveFile::ReceiveFile(Port &io, int32_t bufferSize)
    : m_io(io), m_buffer(fileBufferSize(bufferSize)),
      m_flushLimit(m_buffer.size() - 1024) {}

ReceiveFile::~ReceiveFile() { close(); }

// A symbolic link planted under the name is replaced by the file, never
// followed: received data must not land wherever the link points.
bool ReceiveFile::open(const std::string &name) {
    close();
    m_fill = 0;
    const int flags = O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW;
    m_fd = ::open(name.c_str(), flags, 0644);
    if (m_fd < 0 && errno == ELOOP && ::unlink(name.c_str()) == 0)
        m_fd = ::open(name.c_str(), flags | O_EXCL, 0644);
    return m_fd >= 0;
}

bool ReceiveFile::openToContinue(const std::string &name, int64_t &length) {
    close();
    m_fill = 0;
    m_fd = ::open(name.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd < 0) return false;
    struct stat info {};
    off_t end = fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode) ? ::lseek(m_fd, 0, SEEK_END) : -1;
    if (end < 0) {
        close();
        return false;
    }
    length = end;
    return true;
}

bool ReceiveFile::append(const uint8_t *data, size_t count) {
    bool ok = true;
    while (count > 0) {
        // A block never overfills: the limit leaves room for one 1024-byte
        // block, and the buffer is written out as soon as the fill passes it.
        size_t room = m_buffer.size() - m_fill;
        size_t part = count < room ? count : room;
        std::copy(data, data + part, m_buffer.begin() + static_cast<long>(m_fill));
        m_fill += part;
        data += part;
        count -= part;
        if (m_fill > m_flushLimit && !flush()) ok = false;
    }
    return ok;
}

bool ReceiveFile::flush() {
    if (m_fill == 0) return true;
    bool ok = m_fd >= 0 && writeHeldLine(m_buffer.data(), m_fill);
    m_fill = 0;
    return ok;
}

// Holds the sender by RTS or DTR (whichever receive flow control is on) while
// the disk write runs, so the line does not overrun meanwhile.
bool ReceiveFile::writeHeldLine(const uint8_t *data, size_t count) {
    PortHandle handle = handleOf(&m_io);
    const FlowControl &flow = m_io.xlat.flow;
    // A port the host has closed holds nobody.
    bool hold = !m_io.closedByHost;
    if (hold && flow.rxRts) COMMRS232Set(handle, KORLINK_ITEM_RTS, 0);
    if (hold && flow.rxDtr) COMMRS232Set(handle, KORLINK_ITEM_DTR, 0);
    bool ok = true;
    while (count > 0) {
        ssize_t written = ::write(m_fd, data, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) { ok = false; break; }
        data += written;
        count -= static_cast<size_t>(written);
    }
    if (hold && flow.rxRts) COMMRS232Set(handle, KORLINK_ITEM_RTS, 1);
    if (hold && flow.rxDtr) COMMRS232Set(handle, KORLINK_ITEM_DTR, 1);
    return ok;
}

int ReceiveFile::close() {
    if (m_fd < 0) return 0;
    int result = ::close(m_fd) == 0 ? 0 : -1;
    m_fd = -1;
    return result;
}

namespace {

bool fileExists(const std::string &name) {
    int fd = ::open(name.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace

int16_t applyRenameRule(std::string &name) {
    if (!fileExists(name) || name.size() >= 256) return 0;
    size_t slash = name.find_last_of('/');
    size_t dot = name.find_last_of('.');
    std::string stem = (dot == std::string::npos || (slash != std::string::npos && dot < slash))
                           ? name : name.substr(0, dot);
    for (char digit = '0'; digit <= '9'; ++digit) {
        name = stem + ".DL" + digit;
        if (!fileExists(name)) return 0;
    }
    return KORLINK_E_FILE;
}

bool enoughFreeSpace(int64_t length) {
    struct statvfs fs {};
    if (statvfs(".", &fs) != 0) return true;
    auto freeBytes = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize;
    return static_cast<unsigned long long>(length) <= freeBytes;
}

}  // namespace korlink
