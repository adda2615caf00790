// Writes a whole file so that readers only ever see the old or the new
// content: the bytes go to a new temporary file in the same folder, are
// flushed to the disk, and the temporary file is renamed over the target.
#pragma once

#include <filesystem>
#include <string_view>

#include "datafile/records.h"
#include "datafile/result.h"

namespace trelm {

Status writeFileAtomically(const std::filesystem::path &path, Bytes content);
Status writeFileAtomically(const std::filesystem::path &path, std::string_view content);

} // namespace trelm
