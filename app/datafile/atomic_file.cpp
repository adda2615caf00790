#include "datafile/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace trelm {

namespace {

// A temporary file's name: the target's name, this mark, the writer's
// process id, ".", a counter.
constexpr std::string_view kTemporaryMark = ".tmp";

Error systemError(const std::filesystem::path &path, int errorNumber) {
    return Error{path.string(), std::strerror(errorNumber)};
}

// Opens a fresh temporary file beside `path`. O_EXCL makes sure no existing
// file is reused; mode 0666 lets the umask decide the permissions, as for
// any other file the program creates.
std::filesystem::path nextTemporaryName(const std::filesystem::path &path) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temporary = path;
    temporary += std::string(kTemporaryMark) + std::to_string(getpid()) + "." + std::to_string(counter++);
    return temporary;
}

int openTemporary(const std::filesystem::path &path, std::filesystem::path &temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = nextTemporaryName(path);
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

// All of `text` as a whole number of at least 0.
std::optional<long> wholeNumber(std::string_view text) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value < 0)
        return std::nullopt;
    return value;
}

// The writer's process id when `name` is a temporary file's name.
std::optional<pid_t> writerOf(std::string_view name) {
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos || mark == 0)
        return std::nullopt;
    const std::string_view rest = name.substr(mark + kTemporaryMark.size());
    const std::size_t dot = rest.find('.');
    if (dot == std::string_view::npos || !wholeNumber(rest.substr(dot + 1)))
        return std::nullopt;
    const std::optional<long> pid = wholeNumber(rest.substr(0, dot));
    if (!pid || *pid == 0 || *pid > std::numeric_limits<pid_t>::max())
        return std::nullopt;
    return static_cast<pid_t>(*pid);
}

Status writeStraightThrough(const std::filesystem::path &path, Bytes content) {
    // O_NOCTTY: a terminal named as output must not become our controlling one.
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemError(path, errno);
    bool written = writeAll(fd, content.data(), content.size());
    int failure = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        failure = errno;
    }
    if (written)
        return Done{};
    return systemError(path, failure);
}

} // namespace

std::vector<std::string> removeStaleTemporaries(const std::filesystem::path &dir) {
    std::vector<std::string> removed;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        const std::optional<pid_t> writer = writerOf(name);
        if (!writer || !entry.is_regular_file(error) || entry.is_symlink(error))
            continue;
        // ESRCH: no such process. EPERM means it runs under another user.
        if (::kill(*writer, 0) == 0 || errno != ESRCH)
            continue;
        if (std::filesystem::remove(entry.path(), error))
            removed.push_back(name);
    }
    return removed;
}

std::filesystem::path temporaryNameFor(const std::filesystem::path &path) { return nextTemporaryName(path); }

Status writeFileAtomically(const std::filesystem::path &path, Bytes content) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return writeStraightThrough(path, content);
    return replaceFileAtomically(path, content);
}

Status replaceFileAtomically(const std::filesystem::path &path, Bytes content) {
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
