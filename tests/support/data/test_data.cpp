#include "test_data.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testdata {

void putShort(Bytes &bytes, std::size_t offset, std::int16_t value) {
    const auto word = static_cast<std::uint16_t>(value);
    bytes.at(offset) = word & 0xFF;
    bytes.at(offset + 1) = word >> 8;
}

void putLong(Bytes &bytes, std::size_t offset, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    putShort(bytes, offset, static_cast<std::int16_t>(bits >> 16));
    putShort(bytes, offset + 2, static_cast<std::int16_t>(bits & 0xFFFF));
}

Bytes logRecordBytes(const LogRow &row) {
    Bytes bytes(38, 0);
    putLong(bytes, 0, row.time);
    for (std::size_t i = 0; i < row.filter.size(); ++i)
        putShort(bytes, 4 + 2 * i, row.filter[i]);
    for (std::size_t i = 0; i < row.flow.size(); ++i)
        putShort(bytes, 20 + 2 * i, row.flow[i]);
    putShort(bytes, 30, row.ambient);
    putShort(bytes, 32, row.pressure);
    putShort(bytes, 34, row.pumpBox);
    return bytes;
}

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

EventBuilder::EventBuilder() : m_bytes(680, 0) {}

EventBuilder &EventBuilder::setShort(std::size_t offset, std::int16_t value) {
    putShort(m_bytes, offset, value);
    return *this;
}

EventBuilder &EventBuilder::setLong(std::size_t offset, std::int32_t value) {
    putLong(m_bytes, offset, value);
    return *this;
}

EventBuilder &EventBuilder::extremes(int block, std::int16_t average, std::int16_t minimum,
                                     std::int32_t minimumTime, std::int16_t maximum, std::int32_t maximumTime) {
    const std::size_t base = 20 + 30 * block;
    setShort(base + 8, average);
    setShort(base + 14, minimum);
    setShort(base + 16, maximum);
    setLong(base + 18, minimumTime);
    return setLong(base + 22, maximumTime);
}

EventBuilder &EventBuilder::canister(int slot, std::int16_t volume, std::int16_t cv, std::int16_t flow,
                                     std::int16_t stdDev) {
    const std::size_t base = 20 + 30 * (7 + slot);
    setShort(base + 6, volume);
    setShort(base + 8, flow);
    setShort(base + 10, stdDev);
    return setShort(base + 12, cv);
}

EventBuilder &EventBuilder::maxDt(int filter, std::int16_t value, std::int32_t t) {
    setShort(536 + 2 * (filter - 1), value);
    return setLong(552 + 4 * (filter - 1), t);
}

EventBuilder &EventBuilder::flowWarning(int slot, std::int16_t flow, std::int32_t t) {
    setShort(596 + 2 * (slot - 1), flow);
    return setLong(606 + 4 * (slot - 1), t);
}

EventBuilder &EventBuilder::logAddresses(std::int32_t first, std::int32_t last) {
    setLong(670, first);
    return setLong(674, last);
}

Bytes headerBytes(const Header &header) {
    Bytes bytes(6, 0);
    putShort(bytes, 0, header.modelFlag);
    putShort(bytes, 2, header.firmware);
    putShort(bytes, 4, header.unitId);
    return bytes;
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

ImageBuilder::ImageBuilder(const Header &header) : m_bytes(114688, 0) {
    const Bytes head = headerBytes(header);
    std::copy(head.begin(), head.end(), m_bytes.begin());
}

ImageBuilder &ImageBuilder::slot(int n, const EventBuilder &event) {
    std::copy(event.bytes().begin(), event.bytes().end(), m_bytes.begin() + 6 + 680 * (n - 1));
    return *this;
}

ImageBuilder &ImageBuilder::logSlot(int j, const LogRow &row) {
    const Bytes record = logRecordBytes(row);
    std::copy(record.begin(), record.end(), m_bytes.begin() + logAddress(j));
    return *this;
}

Bytes ImageBuilder::receivedBytes() const {
    Bytes received = m_bytes;
    for (std::size_t i = 0; i + 1 < received.size(); i += 2)
        std::swap(received[i], received[i + 1]);
    return received;
}

void writeFile(const std::filesystem::path &path, const Bytes &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
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

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "trelm-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace testdata
