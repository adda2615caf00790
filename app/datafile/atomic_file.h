// Writes a whole file so that readers only ever see the old or the new
// content: the bytes go to a new temporary file in the same folder, are
// flushed to the disk, and the temporary file is renamed over the target.
// A target that exists and is not a regular file (a device such as
// /dev/null, a FIFO, a symbolic link such as /dev/stdout) is never replaced:
// it is opened and written straight through, a linked regular file
// truncated first as any program writing to it would.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "datafile/records.h"
#include "datafile/result.h"

namespace trelm {

Status writeFileAtomically(const std::filesystem::path &path, Bytes content);
Status writeFileAtomically(const std::filesystem::path &path, std::string_view content);

// The same, but whatever stands under the name (a planted link, a FIFO, a
// device) is replaced by the new regular file, never followed or written
// through: for the files a program owns in its data folder.
Status replaceFileAtomically(const std::filesystem::path &path, Bytes content);

// A fresh name beside `path` for a file made aside and renamed into place
// later, named like the temporary files above, so an interrupted writer's
// leftover is removed like theirs.
std::filesystem::path temporaryNameFor(const std::filesystem::path &path);

// Removes the temporary files that writers of this kind left in `dir` when
// they were killed: files named like the target followed by
// ".tmp<process id>.<counter>" whose process no longer runs. Returns the
// names removed. Files of a running writer are never touched.
std::vector<std::string> removeStaleTemporaries(const std::filesystem::path &dir);

} // namespace trelm
