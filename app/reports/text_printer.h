// A line printer that writes plain text: each printed line exactly as
// composed (leading and trailing spaces kept), each blank line as an empty
// line. Fonts and positions are not represented. A document is held until
// it ends, so an aborted document leaves nothing in the output.
#pragma once

#include <ostream>
#include <string>

#include "reports/line_printer.h"

namespace trelm {

class TextPrinter : public LinePrinter {
public:
    explicit TextPrinter(std::ostream &out, std::string name = "standard output")
        : m_out(out), m_name(std::move(name)) {}

    Orientation orientation() const override { return m_orientation; }
    void setOrientation(Orientation orientation) override { m_orientation = orientation; }
    void setFontName(const std::string &) override {}
    void setFontSize(int) override {}
    void setBold(bool) override {}
    void setLeft(int) override {}
    void printText(const std::string &text) override;
    void advanceLine() override { m_document += '\n'; }
    Status endDocument() override;
    void abortDocument() override { m_document.clear(); }

private:
    std::ostream &m_out;
    std::string m_name;
    std::string m_document;
    Orientation m_orientation = Orientation::Portrait;
};

} // namespace trelm
