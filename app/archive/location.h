// Which archive a command works on, and how its location is shown: the
// --db value, else TRELMLINK_DB, else the SQLite file in the user's data
// folder. A PostgreSQL URL's password never appears in any message.
#pragma once

#include <filesystem>
#include <string>

namespace archive {

inline constexpr const char *kArchiveEnvironment = "TRELMLINK_DB";
inline constexpr const char *kMaskedPassword = "****";

// $XDG_DATA_HOME/trelmlink/archive.sqlite, or ~/.local/share/trelmlink/...
// when XDG_DATA_HOME is unset or empty.
std::filesystem::path defaultArchiveFile();

// The archive named by `given` (the --db value, empty when none).
std::string chooseArchive(const std::string &given);

// Whether the location is a PostgreSQL connection URL.
bool isPostgresUrl(const std::string &location);

// The text with every password of a connection string replaced by ****:
// the user-info password of a postgresql:// URL and any password=...
// parameter (in the URL's query or a key=value connection string).
std::string maskPassword(const std::string &text);

} // namespace archive
