#include "test_files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <stdlib.h>

namespace testfiles {

namespace fs = std::filesystem;

TempDir::TempDir(const std::string &prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

void writeFile(const fs::path &path, const std::vector<std::uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> readFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readText(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

FolderContent folderContent(const std::filesystem::path &dir) {
    FolderContent content;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
        content[entry.path().filename().string()] = readFile(entry.path());
    return content;
}

std::string folderDifferences(const FolderContent &actual, const FolderContent &expected) {
    std::string text;
    for (const auto &[name, bytes] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end())
            text += "missing " + name + "\n";
        else if (found->second != bytes)
            text += "differs " + name + " (" + std::to_string(found->second.size()) + " bytes, expected " +
                    std::to_string(bytes.size()) + ")\n";
    }
    for (const auto &[name, bytes] : actual)
        if (!expected.count(name))
            text += "extra " + name + "\n";
    return text;
}

}  // namespace testfiles
