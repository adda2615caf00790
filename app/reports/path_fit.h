// A file's path shortened to fit a printed line: the folders give way from
// the left, one at a time, to "..."; the file name, the event's identity,
// always stays whole.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace trelm {

// `prefix` + the path, whole when `fits` takes it, else with as few leading
// folders replaced by "..." as needed (".../c/NAME.bin"). When even
// ".../NAME.bin" does not fit, that is the line.
std::string fitPath(const std::string &prefix, const std::filesystem::path &path,
                    const std::function<bool(const std::string &)> &fits);

} // namespace trelm
