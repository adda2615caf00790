// The output side of a receive: the file buffer with its flush limit, the
// open output file, the rename rule and the free-space check.
#pragma once

#include "frame/port.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korlink {

class ReceiveFile {
public:
    // Allocates the buffer (throws std::bad_alloc).
    ReceiveFile(Port &io, int32_t bufferSize);
    ~ReceiveFile();
    ReceiveFile(const ReceiveFile &) = delete;
    ReceiveFile &operator=(const ReceiveFile &) = delete;

    // Creates or truncates `name` for reading and writing; false on failure.
    bool open(const std::string &name);
    // Opens an existing regular file `name` to append to it (a partial
    // file a resumed transfer continues); its length in `length`. False
    // when it is missing, not a regular file, or a symbolic link.
    bool openToContinue(const std::string &name, int64_t &length);
    bool isOpen() const { return m_fd >= 0; }

    // Appends received bytes; writes the buffer out when its fill passes the
    // flush limit. False when that write failed.
    bool append(const uint8_t *data, size_t count);

    // Writes out what is buffered; false on a write failure.
    bool flush();

    // Closes the file (writing nothing more); 0 or -1 when close failed.
    int close();

private:
    bool writeHeldLine(const uint8_t *data, size_t count);

    Port &m_io;
    std::vector<uint8_t> m_buffer;
    size_t m_fill = 0;
    size_t m_flushLimit = 0;
    int m_fd = -1;
};

// The rename rule: when `name` exists, the first of NAME.DL0 .. NAME.DL9
// (extension replaced) that does not. Returns -113 when all ten exist,
// leaving `name` at the one ending in 9; else 0.
int16_t applyRenameRule(std::string &name);

// True when the file system holding the working directory has at least
// `length` bytes free for an unprivileged writer (unknown counts as enough).
bool enoughFreeSpace(int64_t length);

}  // namespace korlink
