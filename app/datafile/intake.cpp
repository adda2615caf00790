#include "datafile/intake.h"

#include <algorithm>
#include <map>
#include <optional>
#include <system_error>
#include <utility>

#include "datafile/atomic_file.h"
#include "datafile/file_read.h"
#include "datafile/log_ring.h"
#include "datafile/received_image.h"
#include "datafile/records.h"
#include "datafile/time_format.h"

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

// A regular file, not a link to one.
bool isPlainFile(const std::filesystem::path &path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error));
}

bool sameContent(const std::filesystem::path &a, const std::filesystem::path &b) {
    auto left = readWholeFile(a, kReceivedMaxSize);
    auto right = readWholeFile(b, kReceivedMaxSize);
    return left && right && left.value() == right.value();
}

// Refuses an image that ends inside the log of an event it lists, naming
// those events: a transfer cut short looks like an image otherwise. The
// event area alone (an Event data download) cuts no log off: it holds none.
Status refusePartial(const std::filesystem::path &path, Bytes image) {
    if (image.size() <= MemoryImage::kEventAreaEnd || image.size() >= MemoryImage::kSize)
        return Done{};
    const std::int16_t unitId = parseFileHeader(image).unitId;
    std::string cut;
    int count = 0;
    for (std::size_t n = 1; n <= MemoryImage::kEventSlotCount; ++n) {
        const EventRecord record = parseEventRecord(image.subspan(MemoryImage::eventSlotOffset(n), kEventRecordSize));
        if (record.status == 0 || !logCutOff(image.size(), record.firstLogAddress, record.lastLogAddress))
            continue;
        cut += (count++ == 0 ? "" : ", ") + EventFileName(unitId, record.start);
    }
    if (count == 0)
        return Done{};
    return Error{path.string(), "is a partial image: it ends at byte " + std::to_string(image.size()) +
                                    " inside the log of " + std::to_string(count) + " event" +
                                    (count == 1 ? "" : "s") + " (incomplete: " + cut +
                                    "); nothing was written (convert --partial takes in what it holds)"};
}

// True when the event file on disk is complete and holds this event as it
// stands now: the same header and event record (so a changed status or stop
// time is written again) and, when the log addresses are ring slots, every
// record between them (a file written from a short image has the record but
// not all the log).
bool existingFileIsCurrent(const std::filesystem::path &path, Bytes head, std::int32_t first, std::int32_t last) {
    if (!isPlainFile(path))
        return false; // a link or anything else planted under the name is replaced
    auto start = readFileStart(path, kEventFileMinSize);
    if (!start || start.value().bytes.size() < kEventFileMinSize)
        return false;
    if (!std::equal(head.begin(), head.end(), start.value().bytes.begin()))
        return false;
    const std::optional<std::size_t> count = first == 0 ? std::nullopt : ringLogCount(first, last);
    return !count || start.value().size >= kEventFileMinSize + kLogRecordSize * *count;
}

class ImageSplitter {
public:
    // `notes` start the report's notes, ahead of what the split adds.
    ImageSplitter(Bytes image, const std::filesystem::path &dir, const CsvExport &exportCsv,
                  std::vector<std::string> notes)
        : m_image(image), m_unitId(parseFileHeader(image).unitId), m_dir(dir), m_exportCsv(exportCsv) {
        m_report.notes = std::move(notes);
    }
    IntakeReport run();

private:
    // `bytes` is the slot's record as stored, `record` the same decoded.
    void takeEvent(std::size_t slot, const std::string &name, Bytes bytes, const EventRecord &record);
    // The CSV of a kept event file, brought in step with it: written when
    // missing, or when a kill or a full disk came between the event file and
    // its CSV and left an older one.
    void completeCsv(const std::string &name);
    // Writes the CSV aside and renames it into place, so whatever stands
    // under its name (a planted link) is replaced, never followed. With
    // `onlyWhenChanged`, a CSV equal to the new one is left as it is. False
    // when nothing was written.
    bool exportCsv(const std::string &name, const EventFile &event, bool onlyWhenChanged = false);

    Bytes m_image;
    std::int16_t m_unitId; // from the image's header, which every event file copies
    std::filesystem::path m_dir;
    const CsvExport &m_exportCsv;
    std::map<std::string, std::size_t> m_slotOfName;
    IntakeReport m_report;
};

IntakeReport ImageSplitter::run() {
    std::optional<std::int32_t> latestStart;
    for (std::size_t n = 1; n <= MemoryImage::kEventSlotCount; ++n) {
        const Bytes bytes = m_image.subspan(MemoryImage::eventSlotOffset(n), kEventRecordSize);
        const EventRecord record = parseEventRecord(bytes);
        if (record.status == 0)
            continue;
        latestStart = std::max(latestStart.value_or(record.start), record.start);
        const std::string name = EventFileName(m_unitId, record.start);
        // Equal starts, and every start in 1970 or before (shown as 2000),
        // give one name: the first slot keeps it, the others are reported.
        const auto [taken, fresh] = m_slotOfName.emplace(name, n);
        if (!fresh) {
            m_report.notes.push_back("event slot " + std::to_string(n) + " (" + name +
                                     "): has the file name of event slot " + std::to_string(taken->second) +
                                     ", as their start times give the same name; it was not written");
            continue;
        }
        takeEvent(n, name, bytes, record);
    }
    if (latestStart)
        m_report.currentBinFile = EventFileName(m_unitId, *latestStart);
    return std::move(m_report);
}

void ImageSplitter::takeEvent(std::size_t slot, const std::string &name, Bytes bytes, const EventRecord &record) {
    const std::int32_t first = record.firstLogAddress;
    const std::int32_t last = record.lastLogAddress;
    std::vector<std::uint8_t> content(m_image.begin(), m_image.begin() + kFileHeaderSize);
    content.insert(content.end(), bytes.begin(), bytes.end());
    if (existingFileIsCurrent(m_dir / name, content, first, last))
        return completeCsv(name);

    const LogCopy log = copyEventLog(m_image, first, last);
    if (!log.problem.empty())
        m_report.notes.push_back("event slot " + std::to_string(slot) + " (" + name + "): " + log.problem);
    content.insert(content.end(), log.records.begin(), log.records.end());
    if (auto written = replaceFileAtomically(m_dir / name, content); !written) {
        m_report.failures.push_back(written.error());
        return;
    }
    m_report.eventFiles.push_back(name);
    exportCsv(name, parseEventFile(content, name).value());
}

void ImageSplitter::completeCsv(const std::string &name) {
    std::error_code error;
    const bool missing = !std::filesystem::exists(std::filesystem::symlink_status(m_dir / csvNameFor(name), error));
    auto event = readEventFile(m_dir / name);
    if (!event) {
        m_report.failures.push_back(event.error());
        return;
    }
    if (exportCsv(name, event.value(), !missing))
        m_report.notes.push_back(name + (missing ? ": its CSV file was missing and has been written"
                                                 : ": its CSV file was out of step with it and has been written again"));
}

bool ImageSplitter::exportCsv(const std::string &name, const EventFile &event, bool onlyWhenChanged) {
    const std::filesystem::path csvName = csvNameFor(name);
    const std::filesystem::path target = m_dir / csvName;
    const std::filesystem::path aside = temporaryNameFor(target);
    std::error_code error;
    if (auto exported = m_exportCsv(aside, event, name); !exported) {
        std::filesystem::remove(aside, error);
        m_report.failures.push_back(Error{target.string(), exported.error().reason});
        return false;
    }
    if (onlyWhenChanged && isPlainFile(target) && sameContent(aside, target)) {
        std::filesystem::remove(aside, error);
        return false;
    }
    std::filesystem::rename(aside, target, error);
    if (error) {
        m_report.failures.push_back(Error{target.string(), error.message()});
        std::filesystem::remove(aside, error);
        return false;
    }
    m_report.exportCsvFile = csvName.string();
    return true;
}

// Exchanges the bytes of every pair in place, dropping an odd last byte.
void swapBytePairs(std::vector<std::uint8_t> &bytes) {
    bytes.resize(bytes.size() & ~std::size_t{1});
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        std::swap(bytes[i], bytes[i + 1]);
}

// What every intake does first in its folder: remove what a killed writer
// left behind.
std::vector<std::string> tidyFolder(const std::filesystem::path &dir) {
    std::vector<std::string> notes;
    for (const std::string &name : removeStaleTemporaries(dir))
        notes.push_back(name + ": removed, a temporary file left by an interrupted write");
    return notes;
}

} // namespace

std::string EventFileName(std::int16_t unitId, std::int32_t start) {
    std::string name = padded(unitId, 4) + "_" + FormatDateTimeForName(start) + ".bin";
    replaceFirst(name, '/', 2);
    replaceFirst(name, ' ', 1);
    replaceFirst(name, ':', 2);
    return name;
}

Result<IntakeReport> ConvertReceivedFile(const std::filesystem::path &received, const std::filesystem::path &dir,
                                         const CsvExport &exportCsv, PartialImages partial) {
    std::vector<std::string> notes = tidyFolder(dir);
    auto bytes = readImage(received);
    if (!bytes)
        return bytes.error();
    std::vector<std::uint8_t> image = std::move(bytes).value();
    swapBytePairs(image);
    if (Status whole = refusePartial(received, image); !whole && partial == PartialImages::Refuse)
        return whole.error();
    if (auto written = replaceFileAtomically(dir / kSwapFileName, image); !written)
        return written.error();
    IntakeReport report = ImageSplitter(image, dir, exportCsv, std::move(notes)).run();
    if (report.complete() && isReceivedImageName(received.filename().string())) {
        std::error_code error;
        if (!std::filesystem::remove(received, error))
            report.notes.push_back(received.string() + ": could not be deleted: " + error.message());
    }
    return report;
}

Result<IntakeReport> SplitMemoryImage(const std::filesystem::path &dir, const CsvExport &exportCsv) {
    return SplitSwappedImage(dir / kSwapFileName, dir, exportCsv);
}

Result<IntakeReport> SplitSwappedImage(const std::filesystem::path &image, const std::filesystem::path &dir,
                                       const CsvExport &exportCsv, PartialImages partial) {
    std::vector<std::string> notes = tidyFolder(dir);
    auto bytes = readImage(image);
    if (!bytes)
        return bytes.error();
    if (Status whole = refusePartial(image, bytes.value()); !whole && partial == PartialImages::Refuse)
        return whole.error();
    return ImageSplitter(bytes.value(), dir, exportCsv, std::move(notes)).run();
}

} // namespace trelm
