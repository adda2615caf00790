#include "datafile/received_image.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <stdio.h>

#include "datafile/intake.h"

namespace trelm {

namespace {

// Enough attempts for every retrieval one folder can see in one second.
constexpr int kNameAttempts = 1000;

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d_%H-%M-%S", &parts);
    return text;
}

} // namespace

bool isReceivedImageName(const std::string &name) {
    const std::string suffix = kImageSuffix;
    return name == kReceivedFileName ||
           (name.starts_with(kKeptImagePrefix) && name.size() > suffix.size() && name.ends_with(suffix));
}

std::string partialPrefix(std::uintmax_t bytes) {
    std::string prefix = kPartialImagePrefix;
    prefix += std::to_string(bytes);
    prefix += "-bytes-";
    return prefix;
}

Result<std::filesystem::path> moveAside(const std::filesystem::path &file, const std::string &prefix) {
    const std::filesystem::path folder = file.parent_path();
    const std::string stem = prefix + utcStamp();
    for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
        std::string name = stem;
        if (attempt > 1)
            name.append(1, '-').append(std::to_string(attempt));
        name.append(kImageSuffix);
        const std::filesystem::path target = folder.empty() ? std::filesystem::path(name) : folder / name;
        // RENAME_NOREPLACE: an image of the same name is never overwritten.
        if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
            return target;
        if (errno != EEXIST)
            return Error{file.string(), std::string("cannot be moved aside: ") + std::strerror(errno)};
    }
    return Error{file.string(), "cannot be moved aside: every new name is taken"};
}

} // namespace trelm
