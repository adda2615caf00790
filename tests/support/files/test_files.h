// Files for tests: a temporary folder removed with its contents, and whole
// files read and written as bytes or text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace testfiles {

// A fresh empty folder under the system's temporary folder, named from
// `prefix`, removed with everything in it when the object goes; dir / name
// is a path in it.
class TempDir {
public:
    explicit TempDir(const std::string &prefix = "trelm-test");
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return m_path; }
    std::filesystem::path operator/(const std::string &name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Creates or replaces the file with exactly these bytes; throws on failure.
void writeFile(const std::filesystem::path &path, const std::vector<std::uint8_t> &bytes);
// The file's bytes (empty when it cannot be read).
std::vector<std::uint8_t> readFile(const std::filesystem::path &path);
// The file's bytes as text, unchanged ("" when it cannot be read).
std::string readText(const std::filesystem::path &path);

// Every file of a folder (not its sub-folders' files), by name.
using FolderContent = std::map<std::string, std::vector<std::uint8_t>>;
FolderContent folderContent(const std::filesystem::path &dir);
// How `actual` differs from `expected`, one line per file ("missing NAME",
// "differs NAME (N bytes, expected M)", "extra NAME"); empty when equal.
std::string folderDifferences(const FolderContent &actual, const FolderContent &expected);

}  // namespace testfiles
