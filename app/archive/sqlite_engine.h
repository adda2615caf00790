// The archive in one SQLite file: WAL mode so readers never wait for an
// importer, and a busy timeout so a second importer waits for the first.
#pragma once

#include <filesystem>
#include <memory>

#include "archive/engine.h"

namespace archive {

// How long a writer waits for another writer's transaction to end.
inline constexpr int kSqliteBusyTimeoutMs = 60000;

// Opens (and creates, with its folder) the archive file at `path`.
Result<std::unique_ptr<Engine>> openSqlite(const std::filesystem::path &path);

} // namespace archive
