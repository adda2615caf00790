#include "plots/plots_page.h"

namespace plots {

trelm::Status printPlotsPage(trelm::LinePrinter &printer, const PlotData &data, const std::filesystem::path &file) {
    const trelm::Orientation before = printer.orientation();
    printer.setDocumentName("Trelmlink Plots - " + file.filename().string());
    printer.setOrientation(trelm::Orientation::Landscape);
    trelm::Status printed = printer.printPlots(data);
    if (!printed)
        printer.abortDocument();
    else
        printed = printer.endDocument();
    // The printer's orientation is the same afterwards, as after a report.
    printer.setOrientation(before);
    return printed;
}

} // namespace plots
