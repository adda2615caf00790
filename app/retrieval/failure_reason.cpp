#include "retrieval/failure_reason.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <optional>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "common/status_words.h"
#include "korlink.h"

namespace trelm::retrieval {

namespace {

// The system's table of file locks: one line per lock, "N: FLOCK ADVISORY
// WRITE <pid> <major>:<minor>:<inode> ...", the device numbers in hex.
constexpr const char *kLockTable = "/proc/locks";

std::string groupName(gid_t gid) {
    const group *entry = ::getgrgid(gid);
    return entry ? std::string(entry->gr_name) : "group " + std::to_string(gid);
}

// The process holding a flock or POSIX lock on the file `status` describes.
std::optional<long> lockHolder(const struct stat &status) {
    std::ifstream table(kLockTable);
    std::ostringstream wanted;
    wanted << std::hex;
    wanted.width(2);
    wanted.fill('0');
    wanted << major(status.st_dev) << ':';
    wanted.width(2);
    wanted << minor(status.st_dev) << ':' << std::dec << status.st_ino;
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, where;
        long pid = 0;
        if (fields >> number >> kind >> mode >> access >> pid >> where && where == wanted.str())
            return pid;
    }
    return std::nullopt;
}

std::string userName(uid_t uid) {
    const passwd *entry = ::getpwuid(uid);
    return entry ? std::string(entry->pw_name) : "user " + std::to_string(uid);
}

// Who may open the device: its group when the mode lets the group read and
// write it; otherwise only its owner, until the group is given that access.
std::string permissionReason(const std::string &device, const struct stat &status) {
    const std::string group = groupName(status.st_gid);
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    if ((status.st_mode & kGroupReadWrite) == kGroupReadWrite)
        return device + ": permission denied; the group " + group + " grants access (add the user to it)";
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
    return device + ": permission denied; only its owner " + userName(status.st_uid) + " may use it (mode " + mode +
           "): give the group " + group + " read and write access and add the user to it";
}

} // namespace

std::string transferReason(std::int32_t lastError, const std::filesystem::path &file, int retries) {
    const korlink::common::StatusRow *row = korlink::common::statusRow(lastError);
    const std::string meaning = row && row->meaning ? row->meaning : "error " + std::to_string(lastError);
    switch (lastError) {
    case KORLINK_STATUS_FILE_FAILED:
        return file.string() + ": " + meaning;
    case KORLINK_STATUS_TIMEOUT:
        return meaning + (retries > 0 ? " after " + std::to_string(retries) + " retries" : std::string());
    case KORLINK_STATUS_REMOTE_CANCEL:
        return "the sender cancelled the transfer";
    case KORLINK_E_CANCELLED:
        return "the user cancelled the transfer";
    case KORLINK_E_CARRIER_LOST:
        return meaning + ": the line or the modem connection was cut";
    default:
        return "the library reports: " + meaning;
    }
}

std::string portReason(const std::string &device) {
    struct stat status {};
    if (::stat(device.c_str(), &status) != 0)
        return device + ": " + (errno == ENOENT ? std::string("no such device") : std::strerror(errno));
    if (!S_ISCHR(status.st_mode))
        return device + ": is not a serial device";
    const int fd = ::open(device.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int failure = errno;
        if (failure == EACCES || failure == EPERM)
            return permissionReason(device, status);
        if (failure == EBUSY) {
            if (const std::optional<long> holder = lockHolder(status))
                return device + ": held by process " + std::to_string(*holder);
        }
        return device + ": " + std::strerror(failure);
    }
    ::close(fd);
    if (const std::optional<long> holder = lockHolder(status))
        return device + ": held by process " + std::to_string(*holder);
    return device + ": the device cannot be used as a serial port";
}

} // namespace trelm::retrieval
