// The archive on a PostgreSQL server, reached through libpq with a
// postgresql:// URL. Statements are prepared on the server once per
// connection; values travel as text.
#pragma once

#include <memory>
#include <string>

#include "archive/engine.h"

namespace archive {

// Connects to the server named by `url`. A failure is one line: the masked
// URL, the host and the server's (or the network's) reason.
Result<std::unique_ptr<Engine>> openPostgres(const std::string &url);

// libpq's messages joined into one line, without the password.
std::string oneLine(const std::string &message);

} // namespace archive
