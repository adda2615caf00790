// The names a received memory image goes by in the data folder, and moving
// one aside so that nothing received is ever overwritten or mistaken for a
// complete image: an image kept from an earlier retrieval (its intake
// failed) is moved to a "kept-" name before a new receive, and what a failed
// or cancelled transfer left is moved to a "partial-" name saying how many
// bytes it holds.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "datafile/result.h"

namespace trelm {

// "kept-2026-12-08_09-30-05.$$$" (a second one in the same second gets "-2", ...).
inline constexpr const char *kKeptImagePrefix = "kept-";
// "partial-60000-bytes-2026-12-08_09-30-05.$$$".
inline constexpr const char *kPartialImagePrefix = "partial-";
inline constexpr const char *kImageSuffix = ".$$$";

// Whether a file of this name is a whole received image that a successful
// intake may delete: temp0000.$$$ as a download leaves it, or a kept image.
bool isReceivedImageName(const std::string &name);

// Moves `file` to a new name in its own folder, "<prefix><UTC time>.$$$"
// made unique with a counter; an existing file is never replaced. Returns
// the new path.
Result<std::filesystem::path> moveAside(const std::filesystem::path &file, const std::string &prefix);

// The prefix of a partial image of `bytes` bytes.
std::string partialPrefix(std::uintmax_t bytes);

} // namespace trelm
