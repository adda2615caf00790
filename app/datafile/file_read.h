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

} // namespace trelm
