// Events for the report tests: the shared sample event with power failures
// in the first and last entries and a second flow warning, written as event
// files; and the reports of an event composed as text.
#pragma once

#include <sstream>
#include <string>

#include "reports/reports.h"
#include "reports/text_printer.h"
#include "sample_event.h"

namespace reportdata {

constexpr std::int32_t kFailureTime = 1118845800; // 6/15/2005 14:30:00

inline testdata::EventBuilder event(std::int16_t config) {
    testdata::EventBuilder b = sample::event(config);
    b.powerFailure(0, kFailureTime).powerFailure(9, kFailureTime + 3600);
    b.flowWarning(4, 1234, sample::kMaximumTime);
    return b;
}

// Writes the event file `name` in `dir` and returns the event as loaded.
inline trelm::LoadedEvent writeEvent(const testfiles::TempDir &dir, std::int16_t model, std::int16_t config,
                                     const std::vector<testdata::LogRow> &log = sample::log(),
                                     const std::string &name = sample::kName) {
    const testdata::Bytes bytes = testdata::eventFileBytes({model, 0x0102, 123}, event(config), log);
    testdata::writeFile(dir / name, bytes);
    trelm::LoadedEvent loaded;
    loaded.path = dir / name;
    loaded.header = trelm::parseFileHeader(trelm::Bytes(bytes.data(), trelm::kFileHeaderSize));
    loaded.event = trelm::parseEventRecord(trelm::Bytes(bytes.data() + trelm::kFileHeaderSize, trelm::kEventRecordSize));
    return loaded;
}

// The report as text, with the event file's folder written as "@DIR@".
inline std::string reportText(trelm::ReportKind kind, trelm::LoadedEvent &loaded, trelm::Status *status = nullptr) {
    std::ostringstream out;
    trelm::TextPrinter printer(out);
    trelm::Status printed = trelm::printReport(kind, printer, loaded);
    if (status)
        *status = printed;
    std::string text = out.str();
    const std::string dir = loaded.path.parent_path().string();
    for (std::size_t at = text.find(dir); at != std::string::npos; at = text.find(dir, at))
        text.replace(at, dir.size(), "@DIR@");
    return text;
}

} // namespace reportdata
