// The archive's schema and its numbered migrations. The table
// schema_version holds the versions applied; opening an archive applies the
// missing ones, each in its own write transaction, and refuses an archive a
// newer program has moved past what this one knows.
#pragma once

#include <string>
#include <vector>

#include "archive/engine.h"

namespace archive {

// The statements of migration n (from 1) for the engine's dialect.
std::vector<std::string> migrationStatements(int version, Dialect dialect);
// The newest version this program knows.
int knownSchemaVersion();

// The archive's version: 0 for an archive without any table yet.
Result<int> schemaVersion(Engine &engine);

// Brings the archive to knownSchemaVersion(); an error when it holds a newer
// version, naming both.
Status migrate(Engine &engine);

} // namespace archive
