#include "test_data.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testdata {

LogRow minuteLogRow(int j) {
    LogRow row;
    row.time = 1118838605 + 60 * j;
    row.ambient = static_cast<std::int16_t>(200 + j % 50);
    row.pressure = 760;
    row.pumpBox = 250;
    row.filter.fill(static_cast<std::int16_t>(210 + j % 30));
    row.flow.fill(static_cast<std::int16_t>(1660 + j % 20));
    return row;
}

Bytes eventFileBytes(const Header &header, const EventBuilder &event, const std::vector<LogRow> &log) {
    Bytes bytes = headerBytes(header);
    bytes.insert(bytes.end(), event.bytes().begin(), event.bytes().end());
    for (const LogRow &row : log) {
        const Bytes record = logRecordBytes(row);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

Bytes readFile(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string readText(const std::filesystem::path &path) {
    const Bytes bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::size_t entryCount(const std::filesystem::path &dir) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

} // namespace testdata
