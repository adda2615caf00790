#include "transfer/file_names.h"

namespace korlink {
namespace {

// An extension longer than this is taken as part of the name when a long
// name is cut: keeping it whole could leave almost nothing of the stem.
constexpr size_t maxKeptExtension = 16;

bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Cuts `text` to at most `length` bytes without splitting a UTF-8 character.
std::string cutToBytes(const std::string &text, size_t length) {
    if (text.size() <= length) return text;
    while (length > 0 && isUtf8Continuation(text[length])) --length;
    return text.substr(0, length);
}

}  // namespace

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

std::string storedFileName(const std::string &sent, bool &changed) {
    std::string bare = bareFileName(sent);
    changed = bare.empty() || bare.size() > maxStoredNameLength;
    if (bare.empty()) return unnamedFileName;
    if (bare.size() <= maxStoredNameLength) return bare;
    size_t dot = bare.find_last_of('.');
    std::string extension =
        dot != std::string::npos && dot > 0 && bare.size() - dot <= maxKeptExtension ? bare.substr(dot) : "";
    return cutToBytes(bare.substr(0, bare.size() - extension.size()), maxStoredNameLength - extension.size()) +
           extension;
}

}  // namespace korlink
