// Opening the archive a command names: the engine chosen by the location
// (a postgresql:// URL or an SQLite file), the schema brought up to date.
#pragma once

#include <memory>
#include <string>

#include "archive/engine.h"

namespace archive {

// `location` as chooseArchive() gives it. Errors name the location with its
// password masked.
Result<std::unique_ptr<Engine>> openArchive(const std::string &location);

} // namespace archive
