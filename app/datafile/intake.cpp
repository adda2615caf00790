#include "datafile/intake.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <utility>

#include "datafile/atomic_file.h"
#include "datafile/event_file.h"
#include "datafile/file_read.h"
#include "datafile/log_ring.h"
#include "datafile/records.h"
#include "datafile/time_format.h"
#include "export/export_event.h"

namespace trelm {

namespace {

// A received image is at most a full memory plus some transfer padding.
constexpr std::uintmax_t kReceivedMaxSize = 16u * 1024 * 1024;

void replaceFirst(std::string &text, char from, int times) {
    for (std::size_t at = 0; times > 0 && (at = text.find(from, at)) != std::string::npos; --times)
        text[at] = '_';
}

// The bytes of a memory image file, refused when too short for the event area.
Result<std::vector<std::uint8_t>> readImage(const std::filesystem::path &path) {
    auto bytes = readWholeFile(path, kReceivedMaxSize);
    if (!bytes || bytes.value().size() >= MemoryImage::kEventAreaEnd)
        return bytes;
    return Error{path.string(), "is too short for a memory image (" + std::to_string(bytes.value().size()) +
                                    " bytes, at least " + std::to_string(MemoryImage::kEventAreaEnd) + " expected)"};
}

// True when the event file on disk is complete and holds this event's log
// as it stands now, or the event has at most one log address to offer; such
// a file is kept. Holding the log as it stands means the same log addresses
// and, when they are ring slots, every record between them: a file written
// from a short image has the addresses but not all the records.
bool existingFileIsCurrent(const std::filesystem::path &path, std::int32_t first, std::int32_t last) {
    // Only the header and record are compared; the log is judged by size.
    auto start = readFileStart(path, kEventFileMinSize);
    if (!start || start.value().bytes.size() < kEventFileMinSize)
        return false;
    if (first == last)
        return true;
    const EventRecord kept = parseEventRecord(Bytes(start.value().bytes).subspan(kFileHeaderSize));
    if (kept.firstLogAddress != first || kept.lastLogAddress != last)
        return false;
    const std::optional<std::size_t> count = ringLogCount(first, last);
    return !count || start.value().size >= kEventFileMinSize + kLogRecordSize * *count;
}

class ImageSplitter {
public:
    // `notes` start the report's notes, ahead of what the split adds.
    ImageSplitter(Bytes image, const std::filesystem::path &dir, std::vector<std::string> notes = {})
        : m_image(image), m_unitId(parseFileHeader(image).unitId), m_dir(dir) {
        m_report.notes = std::move(notes);
    }
    Result<IntakeReport> run();

private:
    // `bytes` is the slot's record as stored, `record` the same decoded.
    Status writeEvent(std::size_t slot, Bytes bytes, const EventRecord &record);

    Bytes m_image;
    std::int16_t m_unitId; // from the image's header, which every event file copies
    std::filesystem::path m_dir;
    IntakeReport m_report;
};

Result<IntakeReport> ImageSplitter::run() {
    std::int32_t latestStart = 0;
    for (std::size_t n = 1; n <= MemoryImage::kEventSlotCount; ++n) {
        const Bytes bytes = m_image.subspan(MemoryImage::eventSlotOffset(n), kEventRecordSize);
        const EventRecord record = parseEventRecord(bytes);
        latestStart = std::max(latestStart, record.start);
        if (record.status == 0)
            continue;
        if (auto written = writeEvent(n, bytes, record); !written)
            return written.error();
    }
    m_report.currentBinFile = EventFileName(m_unitId, latestStart);
    return m_report;
}

Status ImageSplitter::writeEvent(std::size_t slot, Bytes bytes, const EventRecord &record) {
    const std::int32_t first = record.firstLogAddress;
    const std::int32_t last = record.lastLogAddress;
    const std::string name = EventFileName(m_unitId, record.start);
    const std::filesystem::path path = m_dir / name;
    if (existingFileIsCurrent(path, first, last))
        return Done{};

    const LogCopy log = copyEventLog(m_image, first, last);
    if (!log.problem.empty())
        m_report.notes.push_back("event slot " + std::to_string(slot) + " (" + name + "): " + log.problem);
    std::vector<std::uint8_t> content(m_image.begin(), m_image.begin() + kFileHeaderSize);
    content.insert(content.end(), bytes.begin(), bytes.end());
    content.insert(content.end(), log.records.begin(), log.records.end());
    if (auto written = writeFileAtomically(path, content); !written)
        return written;

    const std::filesystem::path csvName = csvNameFor(name);
    auto event = parseEventFile(content, name);
    SilentMessagePort silent;
    if (auto exported = exportByModel(m_dir / csvName, event.value(), name, silent); !exported)
        return exported;
    m_report.eventFiles.push_back(name);
    m_report.exportCsvFile = csvName.string();
    return Done{};
}

// Exchanges the bytes of every pair in place, dropping an odd last byte.
void swapBytePairs(std::vector<std::uint8_t> &bytes) {
    bytes.resize(bytes.size() & ~std::size_t{1});
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        std::swap(bytes[i], bytes[i + 1]);
}

} // namespace

std::string EventFileName(std::int16_t unitId, std::int32_t start) {
    std::string name = padded(unitId, 4) + "_" + FormatDateTimeForName(start) + ".bin";
    replaceFirst(name, '/', 2);
    replaceFirst(name, ' ', 1);
    replaceFirst(name, ':', 2);
    return name;
}

Result<IntakeReport> ConvertReceivedFile(const std::filesystem::path &received, const std::filesystem::path &dir) {
    auto bytes = readImage(received);
    if (!bytes)
        return bytes.error();
    std::vector<std::uint8_t> image = std::move(bytes).value();
    swapBytePairs(image);
    if (auto written = writeFileAtomically(dir / kSwapFileName, image); !written)
        return written.error();
    std::vector<std::string> notes;
    if (received.filename() == kReceivedFileName) {
        std::error_code error;
        if (!std::filesystem::remove(received, error))
            notes.push_back(received.string() + ": could not be deleted: " + error.message());
    }
    return ImageSplitter(image, dir, std::move(notes)).run();
}

Result<IntakeReport> SplitMemoryImage(const std::filesystem::path &dir) {
    auto image = readImage(dir / kSwapFileName);
    if (!image)
        return image.error();
    return ImageSplitter(image.value(), dir).run();
}

} // namespace trelm
