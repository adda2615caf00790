// Reading a whole file into memory with a size limit and clear errors.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "datafile/result.h"

namespace trelm {

// The file's bytes; an error naming the file when it is missing, not a
// regular file, unreadable, or larger than maxSize bytes.
Result<std::vector<std::uint8_t>> readWholeFile(const std::filesystem::path &path, std::uintmax_t maxSize);

struct FileStart {
    std::vector<std::uint8_t> bytes; // the first bytes, fewer when the file is shorter
    std::uintmax_t size = 0;         // the whole file's size
};

// The first `count` bytes of a regular file and its size, with the same
// errors as readWholeFile apart from the size limit.
Result<FileStart> readFileStart(const std::filesystem::path &path, std::size_t count);

} // namespace trelm
