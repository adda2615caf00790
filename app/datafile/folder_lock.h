// One writer per data folder: a retrieval (window or command line) and
// `trelmlink convert` hold an exclusive flock on a lock file in the folder
// from before the port is opened until the intake has ended, so two of them
// never receive into, or split images in, the same folder at once. The lock
// dies with its holder, also when it is killed. The holder writes its
// process id into the file and removes the file when it lets go; a taker
// that locked a file removed meanwhile takes the new one instead.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <variant>

#include "datafile/result.h"

namespace trelm {

inline constexpr const char *kFolderLockName = ".trelmlink.lock";

// How taking the lock failed: the folder cannot be written, or another
// process holds it.
struct FolderLockRefusal {
    Error error;
    std::optional<pid_t> holder; // the holding process, when it wrote its id
};

class FolderLock {
public:
    FolderLock(FolderLock &&other) noexcept;
    FolderLock &operator=(FolderLock &&other) noexcept;
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;
    ~FolderLock();

    // Takes the lock of `dir` (empty: the working directory) at once or
    // refuses: never waits. Checks first that the folder can be written, so
    // a read-only folder is told before anything else happens.
    static std::variant<FolderLock, FolderLockRefusal> take(const std::filesystem::path &dir);

private:
    void release();
    FolderLock(int fd, std::filesystem::path path) : m_fd(fd), m_path(std::move(path)) {}
    int m_fd = -1;
    std::filesystem::path m_path;
};

} // namespace trelm
