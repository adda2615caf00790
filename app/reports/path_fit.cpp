#include "reports/path_fit.h"

namespace trelm {

std::string fitPath(const std::string &prefix, const std::filesystem::path &path,
                    const std::function<bool(const std::string &)> &fits) {
    const std::string whole = path.string();
    std::string line = prefix + whole;
    if (fits(line))
        return line;
    // Each cut starts at a separator after the first character, so a root
    // "/" alone is never the part kept; the last separator leaves the name.
    for (std::size_t cut = whole.find('/', 1); cut != std::string::npos; cut = whole.find('/', cut + 1)) {
        line = prefix + "..." + whole.substr(cut);
        if (fits(line))
            return line;
    }
    return line;
}

} // namespace trelm
