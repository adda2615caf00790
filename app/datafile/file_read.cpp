#include "datafile/file_read.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trelm {

namespace {

// Closes the descriptor on every path out of readWholeFile.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens `path` for reading when it is a regular file, filling `status`.
Status openRegularFile(const std::filesystem::path &path, FileDescriptor &file, struct stat &status) {
    const std::string name = path.string();
    // O_NONBLOCK: opening a FIFO or a terminal must not wait for a writer or
    // a carrier; the type check below then refuses it at once. Reads of a
    // regular file are not affected by the flag.
    file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0)
        return Error{name, std::strerror(errno)};
    if (::fstat(file.fd, &status) != 0)
        return Error{name, std::strerror(errno)};
    if (S_ISDIR(status.st_mode))
        return Error{name, "is a folder, not a file"};
    if (!S_ISREG(status.st_mode))
        return Error{name, "is not a regular file"};
    return Done{};
}

// Reads up to `count` bytes; fewer when the file shrank while being read.
Result<std::vector<std::uint8_t>> readUpTo(const FileDescriptor &file, const std::string &name, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Error{name, std::strerror(errno)};
        if (got == 0)
            break; // the file shrank while being read: keep what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace

Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path &path, std::uintmax_t maxSize) {
    const std::string name = path.string();
    FileDescriptor file{-1};
    struct stat status {};
    if (auto opened = openRegularFile(path, file, status); !opened)
        return opened.error();
    if (static_cast<std::uintmax_t>(status.st_size) > maxSize)
        return Error{name, "is too large (" + std::to_string(status.st_size) + " bytes, at most " +
                               std::to_string(maxSize) + " expected)"};
    return readUpTo(file, name, static_cast<std::size_t>(status.st_size));
}

Result<FileStart> readFileStart(const std::filesystem::path &path, std::size_t count) {
    FileDescriptor file{-1};
    struct stat status {};
    if (auto opened = openRegularFile(path, file, status); !opened)
        return opened.error();
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    auto bytes = readUpTo(file, path.string(), static_cast<std::size_t>(std::min<std::uintmax_t>(size, count)));
    if (!bytes)
        return bytes.error();
    return FileStart{std::move(bytes).value(), size};
}

} // namespace trelm
