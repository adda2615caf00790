#include "archive/location.h"

#include <cstdlib>
#include <regex>

namespace archive {

std::filesystem::path defaultArchiveFile() {
    const char *data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (data && *data) {
        base = data;
    } else {
        const char *home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : ".") / ".local" / "share";
    }
    return base / "trelmlink" / "archive.sqlite";
}

std::string chooseArchive(const std::string &given) {
    if (!given.empty())
        return given;
    if (const char *fromEnvironment = std::getenv(kArchiveEnvironment); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    return defaultArchiveFile().string();
}

bool isPostgresUrl(const std::string &location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

std::string maskPassword(const std::string &text) {
    // scheme://user:password@ : the password runs to the last '@' before
    // the host, so a password holding '@' or ':' is masked whole.
    static const std::regex userInfo(R"(((?:postgres|postgresql)://[^:/@\s]*:)[^\s/]*@)");
    static const std::regex keyword(R"((password\s*=\s*)('[^']*'|[^\s&]*))", std::regex::icase);
    std::string masked = std::regex_replace(text, userInfo, std::string("$1") + kMaskedPassword + "@");
    return std::regex_replace(masked, keyword, std::string("$1") + kMaskedPassword);
}

} // namespace archive
