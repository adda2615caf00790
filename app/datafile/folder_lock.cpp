#include "datafile/folder_lock.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <variant>

namespace trelm {

namespace {

// The lock file holds the holder's process id as decimal text.
constexpr std::size_t kIdTextMax = 32;
// Rounds of "locked a file its holder removed meanwhile" before giving up.
constexpr int kTakeAttempts = 100;

// Whether the locked file is still the one under the lock's name.
bool isStillNamed(int fd, const std::filesystem::path &path) {
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_ino == named.st_ino &&
           opened.st_dev == named.st_dev;
}

std::optional<pid_t> holderIn(int fd) {
    char text[kIdTextMax] = {};
    const ssize_t size = ::pread(fd, text, sizeof text - 1, 0);
    if (size <= 0)
        return std::nullopt;
    long value = 0;
    const auto [end, error] = std::from_chars(text, text + size, value);
    if (error != std::errc() || value <= 0)
        return std::nullopt;
    return static_cast<pid_t>(value);
}

void writeHolder(int fd) {
    const std::string id = std::to_string(::getpid()) + "\n";
    // The id only helps a refused second holder name us; the lock stands without it.
    if (::ftruncate(fd, 0) == 0)
        {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, id.data(), id.size(), 0);
    }
}

} // namespace

FolderLock::FolderLock(FolderLock &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

FolderLock &FolderLock::operator=(FolderLock &&other) noexcept {
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

FolderLock::~FolderLock() { release(); }

void FolderLock::release() {
    if (m_fd < 0)
        return;
    // Removed while still locked, so nobody can lock this file again; a
    // taker that locked it before the removal sees it gone and starts over.
    ::unlink(m_path.c_str());
    ::close(m_fd); // closing the last descriptor drops the flock
    m_fd = -1;
}

std::variant<FolderLock, FolderLockRefusal> FolderLock::take(const std::filesystem::path &dir) {
    const std::filesystem::path folder = dir.empty() ? std::filesystem::path(".") : dir;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    const std::string shown = dir.empty() && !error ? absolute.string() : folder.string();
    if (::access(folder.c_str(), W_OK) != 0)
        return FolderLockRefusal{Error{shown, std::string("the data folder cannot be written: ") + std::strerror(errno)},
                                 std::nullopt};
    const std::filesystem::path path = folder / kFolderLockName;
    for (int attempt = 0; attempt < kTakeAttempts; ++attempt) {
        // O_NOFOLLOW: a link planted under the lock's name is refused, never followed.
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0)
            return FolderLockRefusal{
                Error{path.string(), std::string("the lock file cannot be opened: ") + std::strerror(errno)},
                std::nullopt};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int failure = errno;
            const std::optional<pid_t> holder = holderIn(fd);
            ::close(fd);
            if (failure != EWOULDBLOCK)
                return FolderLockRefusal{
                    Error{path.string(), std::string("cannot be locked: ") + std::strerror(failure)}, std::nullopt};
            const std::string by = holder ? " (process " + std::to_string(*holder) + ")" : std::string();
            return FolderLockRefusal{Error{shown, "another retrieval or convert is working in this data folder" + by +
                                                      "; only one at a time may write into a folder"},
                                     holder};
        }
        if (isStillNamed(fd, path)) {
            writeHolder(fd);
            return FolderLock(fd, path);
        }
        ::close(fd); // its holder removed it as we locked it: take the new one
    }
    return FolderLockRefusal{Error{path.string(), "cannot be locked: it keeps being replaced"}, std::nullopt};
}

} // namespace trelm
