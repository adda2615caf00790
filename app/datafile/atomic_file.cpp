#include "datafile/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace trelm {

namespace {

Error systemError(const std::filesystem::path &path, int errorNumber) {
    return Error{path.string(), std::strerror(errorNumber)};
}

// Opens a fresh temporary file beside `path`. O_EXCL makes sure no existing
// file is reused; mode 0666 lets the umask decide the permissions, as for
// any other file the program creates.
int openTemporary(const std::filesystem::path &path, std::filesystem::path &temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path;
        temporary += ".tmp" + std::to_string(getpid()) + "." + std::to_string(counter++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, const std::uint8_t *data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

Status writeFileAtomically(const std::filesystem::path &path, Bytes content) {
    std::filesystem::path temporary;
    const int fd = openTemporary(path, temporary);
    if (fd < 0)
        return systemError(path, errno);
    bool written = writeAll(fd, content.data(), content.size()) && ::fsync(fd) == 0;
    int failure = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (written && ::rename(temporary.c_str(), path.c_str()) == 0)
        return Done{};
    if (written)
        failure = errno;
    ::unlink(temporary.c_str());
    return systemError(path, failure);
}

Status writeFileAtomically(const std::filesystem::path &path, std::string_view content) {
    return writeFileAtomically(path, Bytes(reinterpret_cast<const std::uint8_t *>(content.data()), content.size()));
}

} // namespace trelm
