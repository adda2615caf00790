#include "settings/ini_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>
#include <vector>

#include "datafile/atomic_file.h"

#include "settings/setting_value.h"

namespace trelm {

namespace {

const char *const kIniFileName = "TRELMLNK.INI";

std::string trim(const std::string &text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto begin = std::find_if_not(text.begin(), text.end(), blank);
    auto end = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return begin < end ? std::string(begin, end) : std::string();
}

bool sameName(const std::string &a, const std::string &b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

// The section named by a "[NAME]" line, or nothing for any other line.
bool sectionOf(const std::string &line, std::string &name) {
    const std::string text = trim(line);
    if (text.size() < 2 || text.front() != '[' || text.back() != ']')
        return false;
    name = trim(text.substr(1, text.size() - 2));
    return true;
}

// The key of a "key=value" line, or false for a line without "=".
bool keyOf(const std::string &line, std::string &key, std::string &value) {
    const auto equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    key = trim(line.substr(0, equals));
    value = line.substr(equals + 1);
    return true;
}

std::vector<std::string> readLines(const std::filesystem::path &file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

std::filesystem::path IniFilePath() {
    if (const char *explicitPath = std::getenv("TRELMLINK_INI"); explicitPath && *explicitPath)
        return explicitPath;
    if (const char *config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::filesystem::path(config) / "trelmlink" / kIniFileName;
    if (const char *home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".config" / "trelmlink" / kIniFileName;
    return kIniFileName;
}

std::string readIniText(const std::filesystem::path &file, const std::string &section, const std::string &key) {
    std::string current;
    bool inSection = false;
    for (const std::string &line : readLines(file)) {
        std::string name, value;
        if (sectionOf(line, name))
            inSection = sameName(name, section);
        else if (inSection && keyOf(line, name, value) && sameName(name, key))
            return trim(value).substr(0, kIniValueMax);
    }
    return {};
}

Status writeIniText(const std::filesystem::path &file, const std::string &section, const std::string &key,
                    const std::string &value) {
    if (!isSettingValue(value))
        return Error{file.string(), std::string(kSettingValueRule) + "; " + section + "/" + key + " was not written"};
    std::vector<std::string> lines = readLines(file);
    const std::string entry = key + "=" + value;
    bool inSection = false;
    std::ptrdiff_t sectionEnd = -1; // one past the last line of the section
    bool written = false;
    for (std::size_t i = 0; i < lines.size() && !written; ++i) {
        std::string name, text;
        if (sectionOf(lines[i], name)) {
            if (inSection)
                break;
            inSection = sameName(name, section);
            if (inSection)
                sectionEnd = static_cast<std::ptrdiff_t>(i) + 1;
        } else if (inSection && keyOf(lines[i], name, text) && sameName(name, key)) {
            lines[i] = entry;
            written = true;
        } else if (inSection && !trim(lines[i]).empty()) {
            sectionEnd = static_cast<std::ptrdiff_t>(i) + 1;
        }
    }
    if (!written && sectionEnd >= 0) {
        lines.insert(lines.begin() + sectionEnd, entry);
    } else if (!written) {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::string content;
    for (const std::string &line : lines)
        content += line + "\n";
    if (file.has_parent_path()) {
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        if (error)
            return Error{file.parent_path().string(), error.message()};
    }
    return writeFileAtomically(file, std::string_view(content));
}

std::string commValueText(int port) {
    std::string text(1, ' ');
    text += std::to_string(port);
    return text;
}

int leadingInteger(const std::string &text) {
    const std::string value = trim(text);
    const char *begin = value.data();
    const char *end = begin + value.size();
    if (begin != end && *begin == '+')
        ++begin;
    long number = 0;
    const auto parsed = std::from_chars(begin, end, number);
    if (parsed.ec != std::errc() || number < std::numeric_limits<std::int16_t>::min() ||
        number > std::numeric_limits<std::int16_t>::max())
        return 0;
    return static_cast<int>(number);
}

} // namespace trelm
