#include "archive/open_archive.h"

#include "archive/location.h"
#include "archive/postgres_engine.h"
#include "archive/schema.h"
#include "archive/sqlite_engine.h"

namespace archive {

Result<std::unique_ptr<Engine>> openArchive(const std::string &location) {
    auto engine = isPostgresUrl(location) ? openPostgres(location) : openSqlite(location);
    if (!engine)
        return engine.error();
    if (auto migrated = migrate(*engine.value()); !migrated)
        return migrated.error();
    return engine;
}

} // namespace archive
