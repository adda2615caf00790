// The report line printer on Qt Print Support: a QPrinter that is a CUPS
// printer chosen in QPrintDialog or a PDF file, with the same code for both.
// Text goes at the given left position in the requested face ("Courier New"
// is asked for by name; fontconfig supplies a metric-compatible face), one
// line at the font's line spacing, onto a new page when the next line would
// not fit. A line too long for the page is printed smaller so that it ends
// at the edge, never cut. Pages carry nothing else.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <QString>
#include <optional>

#include "reports/line_printer.h"

namespace trelm::shell {

class QtLinePrinter : public LinePrinter {
public:
    enum class Jobs {
        // Every document is a print job of its own (the window's reports).
        OnePerDocument,
        // All documents form one job, each beginning on a new page in its own
        // orientation, until finishJob() (one PDF of several reports).
        OneForAll,
    };

    // `printer` must outlive this object; `name` names it in messages.
    QtLinePrinter(QPrinter &printer, Jobs jobs, std::string name);
    ~QtLinePrinter() override;
    QtLinePrinter(const QtLinePrinter &) = delete;
    QtLinePrinter &operator=(const QtLinePrinter &) = delete;

    Orientation orientation() const override;
    void setOrientation(Orientation orientation) override;
    void setFontName(const std::string &face) override;
    void setFontSize(int points) override;
    void setBold(bool bold) override;
    void setLeft(int twips) override;
    void printText(const std::string &text) override;
    void advanceLine() override;
    void setDocumentName(const std::string &name) override;
    bool fits(const std::string &text) const override;
    Status printPlots(const plots::PlotData &data) override;
    Status endDocument() override;
    void abortDocument() override;

    // Ends the job of a OneForAll printer. Fails when any document failed or
    // was aborted, or when the job could not be completed.
    Status finishJob();
    // Pages begun in the current job.
    int pageCount() const { return m_pages; }

private:
    // Begins the job or the next document when needed; false once anything
    // failed.
    bool startDocument();
    // startDocument, then a new page when a line of the current font would
    // not fit. Only printed text breaks a page: blank lines past the bottom
    // start none.
    bool placeLine();
    double pageWidth() const;
    void applyFont();
    void fail(const std::string &reason);
    Status takeFailure();
    void removeOutputFile();

    QPrinter &m_printer;
    Jobs m_jobs;
    std::string m_name;
    QPainter m_painter;
    QFont m_font;
    bool m_fontApplied = false;
    double m_lineHeight = 0;
    double m_ascent = 0;
    double m_left = 0;
    double m_y = 0;
    bool m_inDocument = false;
    int m_pages = 0;
    std::optional<Error> m_failure;
};

} // namespace trelm::shell
