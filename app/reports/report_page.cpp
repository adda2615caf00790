#include "reports/report_page.h"

#include "datafile/codes.h"
#include "reports/number_pattern.h"
#include "reports/path_fit.h"

namespace trelm {

void ReportPage::open(Orientation orientation, const FileHeader &header, const std::string &title) {
    m_saved = m_printer.orientation();
    m_printer.setFontName(kReportFace);
    m_printer.setOrientation(orientation);
    bold(true);
    size(18);
    blank(2);
    line("Unit " + formatPattern("0", header.unitId) + title);
    blank();
}

Status ReportPage::close(const std::filesystem::path &file, const FileHeader &header) {
    size(10);
    bold(false);
    fileLine("    File: ", file);
    line("Firmware: " + FirmwareText(header.firmware));
    blank();
    return finish();
}

Status ReportPage::finish() {
    Status ended = m_printer.endDocument();
    m_printer.setOrientation(m_saved);
    return ended;
}

void ReportPage::abort() {
    m_printer.abortDocument();
    m_printer.setOrientation(m_saved);
}

void ReportPage::line(const std::string &text) {
    m_printer.setLeft(kReportLeftTwips);
    m_printer.printText(text);
}

void ReportPage::fileLine(const std::string &prefix, const std::filesystem::path &file) {
    m_printer.setLeft(kReportLeftTwips);
    line(fitPath(prefix, file, [this](const std::string &text) { return m_printer.fits(text); }));
}

void ReportPage::blank(int count) {
    for (int i = 0; i < count; ++i)
        m_printer.advanceLine();
}

void ReportPage::heading(const std::string &text) {
    bold(true);
    line(text);
    bold(false);
}

} // namespace trelm
