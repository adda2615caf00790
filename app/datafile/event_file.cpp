#include "datafile/event_file.h"

#include "datafile/file_read.h"

namespace trelm {

Result<EventFile> parseEventFile(Bytes bytes, const std::string &name) {
    if (bytes.size() < kEventFileMinSize)
        return Error{name, "is not an event file: " + std::to_string(bytes.size()) + " bytes, at least " +
                               std::to_string(kEventFileMinSize) + " expected"};
    EventFile file;
    file.header = parseFileHeader(bytes);
    file.event = parseEventRecord(bytes.subspan(kFileHeaderSize));
    // A partial record at the end (fewer than 38 bytes) ends the log too.
    for (std::size_t offset = kEventFileMinSize; offset + kLogRecordSize <= bytes.size();
         offset += kLogRecordSize) {
        LogRecord record = parseLogRecord(bytes.subspan(offset));
        if (record.time == 0)
            break;
        file.log.push_back(record);
    }
    return file;
}

Result<EventFile> readEventFile(const std::filesystem::path &path) {
    auto bytes = readWholeFile(path, kEventFileMaxSize);
    if (!bytes)
        return bytes.error();
    return parseEventFile(bytes.value(), path.string());
}

std::filesystem::path csvNameFor(const std::filesystem::path &eventFile) {
    const std::string name = eventFile.filename().string();
    const std::size_t dot = name.find('.');
    const std::string csvName = dot == std::string::npos ? name + ".csv" : name.substr(0, dot + 1) + "csv";
    return eventFile.parent_path() / csvName;
}

} // namespace trelm
