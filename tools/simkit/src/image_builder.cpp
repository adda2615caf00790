#include "simkit/image_builder.h"

#include <algorithm>
#include <utility>

namespace simkit {

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
    Bytes bytes(trelm::kLogRecordSize, 0);
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

EventBuilder::EventBuilder() : m_bytes(trelm::kEventRecordSize, 0) {}

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
    const std::size_t base = 20 + trelm::kStatBlockSize * block;
    setShort(base + 8, average);
    setShort(base + 14, minimum);
    setShort(base + 16, maximum);
    setLong(base + 18, minimumTime);
    return setLong(base + 22, maximumTime);
}

EventBuilder &EventBuilder::canister(int slot, std::int16_t volume, std::int16_t cv, std::int16_t flow,
                                     std::int16_t stdDev) {
    const std::size_t base = 20 + trelm::kStatBlockSize * (7 + slot);
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
    Bytes bytes(trelm::kFileHeaderSize, 0);
    putShort(bytes, 0, header.modelFlag);
    putShort(bytes, 2, header.firmware);
    putShort(bytes, 4, header.unitId);
    return bytes;
}

ImageBuilder::ImageBuilder(const Header &header) : m_bytes(trelm::MemoryImage::kSize, 0) {
    const Bytes head = headerBytes(header);
    std::copy(head.begin(), head.end(), m_bytes.begin());
}

ImageBuilder &ImageBuilder::slot(int n, const EventBuilder &event) {
    std::copy(event.bytes().begin(), event.bytes().end(),
              m_bytes.begin() + static_cast<long>(trelm::MemoryImage::eventSlotOffset(static_cast<std::size_t>(n))));
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

} // namespace simkit
