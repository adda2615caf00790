// The line primitives and page conventions that the three reports share:
// every line at 750 twips from the left, the fixed-pitch report face, and
// the standard opening and closing of a report with the printer's
// orientation saved and restored.
#pragma once

#include <filesystem>
#include <string>

#include "datafile/records.h"
#include "reports/line_printer.h"

namespace trelm {

inline constexpr int kReportLeftTwips = 750;
inline constexpr const char *kReportFace = "Courier New";

// The loaded data file: its path and the records read from it when it was
// opened, which the Event Summary and Warnings reports print from.
struct LoadedEvent {
    std::filesystem::path path;
    FileHeader header;
    EventRecord event;
};

class ReportPage {
public:
    explicit ReportPage(LinePrinter &printer) : m_printer(printer) {}

    // The opening: keeps the printer's orientation, sets the face and this
    // report's orientation, then the 18-point bold title line "Unit N" +
    // title between two blank lines above and one below.
    void open(Orientation orientation, const FileHeader &header, const std::string &title);
    // The closing of the Event Summary and Warnings reports: the 10-point
    // file and firmware lines, a blank line, then finish().
    Status close(const std::filesystem::path &file, const FileHeader &header);
    // Ends the document and puts the orientation kept at the opening back.
    Status finish();
    // Aborts the document and puts the kept orientation back.
    void abort();

    void line(const std::string &text);
    // `prefix` + the file's path, its folders shortened from the left when
    // the whole line would run past the page's edge.
    void fileLine(const std::string &prefix, const std::filesystem::path &file);
    void blank(int count = 1);
    void size(int points) { m_printer.setFontSize(points); }
    void bold(bool on) { m_printer.setBold(on); }
    // Bold on, the text, bold off: the section headings.
    void heading(const std::string &text);

private:
    LinePrinter &m_printer;
    Orientation m_saved = Orientation::Portrait;
};

} // namespace trelm
