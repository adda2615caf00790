// The three printed reports. Each prints one complete document on the line
// printer, in the eight-channel or five-channel form chosen by the model
// flag of the event's header, and leaves the printer's orientation as it
// found it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "reports/line_printer.h"
#include "reports/report_page.h"

namespace trelm {

// From the records loaded with the file; reads no file.
Status PrintSummaryReport(LinePrinter &printer, const LoadedEvent &loaded);
Status PrintWarningsReport(LinePrinter &printer, const LoadedEvent &loaded);
// Rereads loaded.path and prints its log records in landscape. The header
// and event record read again replace those in `loaded`. A file that cannot
// be read is reported before anything is printed.
Status PrintDataLogReport(LinePrinter &printer, LoadedEvent &loaded);

enum class ReportKind { Summary, Warnings, DataLog };

struct ReportSelection {
    bool summary = true;
    bool warnings = false;
    bool dataLog = false;
};

// The selected reports in the fixed order Event Summary, Warnings, Data Log.
std::vector<ReportKind> reportsInOrder(const ReportSelection &selection);

// The name of a report's print job and document: "Trelmlink Event Summary
// - NAME", NAME being the event file's name without its folder.
std::string jobName(ReportKind kind, const std::filesystem::path &file);
// The name of one file holding several reports: "Trelmlink Event Summary,
// Data Log - NAME"; with one report, that report's jobName.
std::string jobName(const std::vector<ReportKind> &kinds, const std::filesystem::path &file);

// Runs one report of either model form, as a document named by jobName.
Status printReport(ReportKind kind, LinePrinter &printer, LoadedEvent &loaded);

} // namespace trelm
