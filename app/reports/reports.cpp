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

Status printReport(ReportKind kind, LinePrinter &printer, LoadedEvent &loaded) {
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
