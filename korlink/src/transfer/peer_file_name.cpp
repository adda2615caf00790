#include "transfer/peer_file_name.h"

namespace korlink {

std::string bareFileName(const std::string &name) {
    size_t slash = name.find_last_of("/\\");
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    std::string clean;
    for (char c : base) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte != 127) clean.push_back(c);
    }
    if (clean == "." || clean == "..") clean.clear();
    return clean;
}

}  // namespace korlink
