#include "reports/reports.h"

namespace trelm {

std::vector<ReportKind> reportsInOrder(const ReportSelection &selection) {
    std::vector<ReportKind> kinds;
    if (selection.summary)
        kinds.push_back(ReportKind::Summary);
    if (selection.warnings)
        kinds.push_back(ReportKind::Warnings);
    if (selection.dataLog)
        kinds.push_back(ReportKind::DataLog);
    return kinds;
}

namespace {

const char *reportName(ReportKind kind) {
    switch (kind) {
    case ReportKind::Summary:
        return "Event Summary";
    case ReportKind::Warnings:
        return "Warnings";
    case ReportKind::DataLog:
        break;
    }
    return "Data Log";
}

} // namespace

std::string jobName(ReportKind kind, const std::filesystem::path &file) { return jobName(std::vector{kind}, file); }

std::string jobName(const std::vector<ReportKind> &kinds, const std::filesystem::path &file) {
    std::string names;
    for (ReportKind kind : kinds)
        names += (names.empty() ? "" : ", ") + std::string(reportName(kind));
    return "Trelmlink " + names + " - " + file.filename().string();
}

Status printReport(ReportKind kind, LinePrinter &printer, LoadedEvent &loaded) {
    printer.setDocumentName(jobName(kind, loaded.path));
    switch (kind) {
    case ReportKind::Summary:
        return PrintSummaryReport(printer, loaded);
    case ReportKind::Warnings:
        return PrintWarningsReport(printer, loaded);
    case ReportKind::DataLog:
        break;
    }
    return PrintDataLogReport(printer, loaded);
}

} // namespace trelm
