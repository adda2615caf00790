#include "reports/print_run.h"

namespace trelm {

const char *progressCaption(ReportKind kind) {
    switch (kind) {
    case ReportKind::Summary:
        return "Printing Summary Report...";
    case ReportKind::Warnings:
        return "Warnings Report...";
    case ReportKind::DataLog:
        break;
    }
    return "Printing Logging Report...";
}

Status runPrintCommand(LinePrinter &printer, LoadedEvent &loaded, const ReportSelection &selection,
                       PrintProgress &progress) {
    for (ReportKind kind : reportsInOrder(selection)) {
        progress.announce(progressCaption(kind));
        if (Status printed = printReport(kind, printer, loaded); !printed)
            return printed;
        progress.pause(kPauseAfterReportMs);
    }
    return Done{};
}

} // namespace trelm
