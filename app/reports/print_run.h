// One run of the print command: the selected reports in the fixed order,
// each announced on the progress window and followed by a pause in which
// the window answers (its Cancel among others).
#pragma once

#include <string>

#include "reports/reports.h"

namespace trelm {

class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    // The progress window's text for the report about to print.
    virtual void announce(const std::string &caption) = 0;
    // Waits, keeping the window responsive.
    virtual void pause(int milliseconds) = 0;
};

inline constexpr int kPauseAfterReportMs = 300;

// "Printing Summary Report...", "Warnings Report...", "Printing Logging Report...".
const char *progressCaption(ReportKind kind);

// Runs the selected reports. The first report that fails ends the run
// (after the printer has put its orientation back), so one message tells
// the reason and nothing after it prints as if all were well.
Status runPrintCommand(LinePrinter &printer, LoadedEvent &loaded, const ReportSelection &selection,
                       PrintProgress &progress);

} // namespace trelm
