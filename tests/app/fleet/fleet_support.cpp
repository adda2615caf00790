#include "fleet_support.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "program_run.h"
#include "simkit/generated_image.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace fleettest {

namespace {

std::string field(const std::string &line, const std::string &name) {
    const std::regex pattern("\"" + name + "\":(\"((?:[^\"\\\\]|\\\\.)*)\"|(-?[0-9]+))");
    std::smatch match;
    if (!std::regex_search(line, match, pattern))
        return {};
    return match[2].matched ? match[2].str() : match[3].str();
}

} // namespace

std::vector<AttemptLine> readAttempts(const fs::path &json) {
    std::vector<AttemptLine> attempts;
    std::ifstream in(json);
    for (std::string line; std::getline(in, line);) {
        AttemptLine attempt;
        attempt.station = field(line, "station");
        attempt.attempt = std::stoi(field(line, "attempt"));
        attempt.startedMs = std::stoll(field(line, "started_ms"));
        attempt.endedMs = std::stoll(field(line, "ended_ms"));
        attempt.exitStatus = std::stoi(field(line, "exit_status"));
        attempt.reason = field(line, "reason");
        attempts.push_back(attempt);
    }
    return attempts;
}

std::map<std::string, std::vector<std::uint8_t>> eventFiles(const fs::path &dir) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(dir, error)) {
        const std::string name = entry.path().filename().string();
        // swap.bin is left out: what arrives over XMODEM may carry padding.
        if (entry.is_regular_file() && name != "swap.bin" && (name.ends_with(".bin") || name.ends_with(".csv")))
            files[name] = testfiles::readFile(entry.path());
    }
    return files;
}

std::string differences(const std::map<std::string, std::vector<std::uint8_t>> &actual,
                        const std::map<std::string, std::vector<std::uint8_t>> &expected) {
    std::string text;
    for (const auto &[name, bytes] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end()) {
            text += "missing " + name + "\n";
        } else if (found->second != bytes) {
            std::size_t at = 0;
            while (at < bytes.size() && at < found->second.size() && bytes[at] == found->second[at])
                ++at;
            text += name + " differs at byte " + std::to_string(at) + "\n";
        }
    }
    for (const auto &[name, bytes] : actual)
        if (!expected.count(name))
            text += "extra " + name + "\n";
    return text;
}

fs::path referenceFolder(const fs::path &base, unsigned seed, int unit) {
    const fs::path dir = base / ("reference-" + std::to_string(seed) + "-" + std::to_string(unit));
    fs::create_directories(dir);
    const simkit::Bytes image = simkit::generatedImage(seed, static_cast<std::int16_t>(unit)).image.receivedBytes();
    testfiles::writeFile(dir / "temp0000.$$$", image);
    ProgramRun convert({"convert", (dir / "temp0000.$$$").string(), "--dir", dir.string()}, {});
    if (convert.waitExit(std::chrono::seconds(60)) != 0)
        throw std::runtime_error("convert of the reference image failed: " + convert.err());
    return dir;
}

std::string summaryRow(const std::string &table, const std::string &station) {
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string row, word;
        while (words >> word)
            row += (row.empty() ? "" : " ") + word;
        if (row.starts_with(station + " "))
            return row;
    }
    return {};
}

} // namespace fleettest
