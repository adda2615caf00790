#include "archive/event_source.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "datafile/file_read.h"
#include "datafile/intake.h"

namespace archive {

namespace {

// FNV-1a over the bytes: a change anywhere in header, record or log gives
// another fingerprint (64 bits; a collision between two versions of one
// event is not a concern).
std::string fingerprintOf(trelm::Bytes bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace

trelm::Result<EventSource> readEventSource(const std::filesystem::path &path) {
    auto bytes = trelm::readWholeFile(path, trelm::kEventFileMaxSize);
    if (!bytes)
        return bytes.error();
    const std::vector<std::uint8_t> &data = bytes.value();
    const std::string shown = path.string();
    if (data.size() < trelm::kEventFileMinSize || (data.size() - trelm::kEventFileMinSize) % trelm::kLogRecordSize)
        return trelm::Error{shown, "is not an event file: " + std::to_string(data.size()) +
                                       " bytes is not a header and an event record followed by whole log records"};
    auto file = trelm::parseEventFile(data, shown);
    if (!file)
        return file.error();
    if (file.value().event.status == 0)
        return trelm::Error{shown, "is not an event file: its event record is empty"};
    const std::size_t used = trelm::kEventFileMinSize + file.value().log.size() * trelm::kLogRecordSize;
    return EventSource{path.filename().string(), std::move(file).value(),
                       fingerprintOf(trelm::Bytes(data.data(), used))};
}

bool looksLikeEventFile(const std::filesystem::directory_entry &entry) {
    std::error_code error;
    if (!entry.is_regular_file(error))
        return false;
    std::string name = entry.path().filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name.ends_with(".bin") && name != trelm::kSwapFileName;
}

} // namespace archive
