#include "shell/qt_line_printer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>

#include "shell/plot_render.h"

namespace trelm::shell {

QtLinePrinter::QtLinePrinter(QPrinter &printer, Jobs jobs, std::string name)
    : m_printer(printer), m_jobs(jobs), m_name(std::move(name)) {
    m_font.setStyleHint(QFont::TypeWriter);
}

QtLinePrinter::~QtLinePrinter() {
    // A job still open here was never completed: nothing of it may stand as
    // a finished document.
    if (m_painter.isActive()) {
        m_printer.abort();
        m_painter.end();
        removeOutputFile();
    }
}

Orientation QtLinePrinter::orientation() const {
    return m_printer.pageLayout().orientation() == QPageLayout::Landscape ? Orientation::Landscape
                                                                          : Orientation::Portrait;
}

void QtLinePrinter::setOrientation(Orientation orientation) {
    // While a job is open this takes effect from its next page.
    m_printer.setPageOrientation(orientation == Orientation::Landscape ? QPageLayout::Landscape
                                                                       : QPageLayout::Portrait);
}

void QtLinePrinter::setFontName(const std::string &face) {
    m_font.setFamily(QString::fromStdString(face));
    m_fontApplied = false;
}

void QtLinePrinter::setFontSize(int points) {
    m_font.setPointSize(points);
    m_fontApplied = false;
}

void QtLinePrinter::setBold(bool bold) {
    m_font.setBold(bold);
    m_fontApplied = false;
}

void QtLinePrinter::setLeft(int twips) { m_left = twips * m_printer.resolution() / 1440.0; }

void QtLinePrinter::applyFont() {
    if (m_fontApplied)
        return;
    m_painter.setFont(m_font);
    const QFontMetricsF metrics(m_font, &m_printer);
    m_lineHeight = metrics.lineSpacing();
    m_ascent = metrics.ascent();
    m_fontApplied = true;
}

bool QtLinePrinter::startDocument() {
    if (m_failure)
        return false;
    if (m_inDocument) {
        applyFont();
        return true;
    }
    if (!m_painter.isActive()) {
        if (!m_painter.begin(&m_printer)) {
            fail("the print job could not be started (no printer, or the output cannot be written)");
            return false;
        }
        m_pages = 1;
        m_fontApplied = false;
    } else {
        // The next document of a OneForAll job starts on a page of its own.
        if (!m_printer.newPage()) {
            fail("a new page could not be started");
            return false;
        }
        ++m_pages;
    }
    m_y = 0;
    m_inDocument = true;
    applyFont();
    return true;
}

bool QtLinePrinter::placeLine() {
    if (!startDocument())
        return false;
    const double pageHeight = m_printer.pageLayout().paintRectPixels(m_printer.resolution()).height();
    if (m_y > 0 && m_y + m_lineHeight > pageHeight) {
        if (!m_printer.newPage()) {
            fail("a new page could not be started");
            return false;
        }
        ++m_pages;
        m_y = 0;
    }
    return true;
}

double QtLinePrinter::pageWidth() const {
    return m_printer.pageLayout().paintRectPixels(m_printer.resolution()).width();
}

bool QtLinePrinter::fits(const std::string &text) const {
    const QFontMetricsF metrics(m_font, &m_printer);
    return m_left + metrics.horizontalAdvance(QString::fromStdString(text)) <= pageWidth();
}

void QtLinePrinter::printText(const std::string &text) {
    if (!placeLine())
        return;
    const QString line = QString::fromStdString(text);
    const double room = pageWidth() - m_left;
    const double width = QFontMetricsF(m_font, &m_printer).horizontalAdvance(line);
    if (width > room && room > 0) {
        // Smaller in proportion, with a little to spare for hinting, which
        // does not scale widths exactly; the line height stays.
        QFont smaller = m_font;
        smaller.setPointSizeF(m_font.pointSizeF() * room / width * 0.97);
        m_painter.setFont(smaller);
        m_painter.drawText(QPointF(m_left, m_y + m_ascent), line);
        m_painter.setFont(m_font);
    } else {
        m_painter.drawText(QPointF(m_left, m_y + m_ascent), line);
    }
    m_y += m_lineHeight;
}

Status QtLinePrinter::printPlots(const plots::PlotData &data) {
    if (!startDocument())
        return Done{}; // the document's end reports the failure
    if (m_y > 0) {
        if (!m_printer.newPage()) {
            fail("a new page could not be started");
            return Done{};
        }
        ++m_pages;
    }
    const QRectF page = m_printer.pageLayout().paintRectPixels(m_printer.resolution());
    paintPlot(m_painter, QRectF(QPointF(0, 0), page.size()), data);
    // Whatever follows starts on a page of its own.
    m_y = page.height();
    return Done{};
}

void QtLinePrinter::advanceLine() {
    if (startDocument())
        m_y += m_lineHeight;
}

void QtLinePrinter::setDocumentName(const std::string &name) {
    // One file of several reports keeps the title it was given, else takes
    // its first report's name: a PDF's title is written as it begins.
    if (m_jobs == Jobs::OnePerDocument || m_printer.docName().isEmpty())
        m_printer.setDocName(QString::fromStdString(name));
}

Status QtLinePrinter::endDocument() {
    if (m_jobs != Jobs::OneForAll) return finishJob();
    m_inDocument = false;
    return takeFailure();
}

void QtLinePrinter::abortDocument() {
    if (!m_inDocument)
        return;
    m_inDocument = false;
    if (m_jobs == Jobs::OneForAll) {
        // Pages of a shared job cannot be taken back: the whole job fails.
        fail("the report was cancelled");
        return;
    }
    m_printer.abort();
    m_painter.end();
    removeOutputFile();
    m_failure.reset();
}

Status QtLinePrinter::finishJob() {
    m_inDocument = false;
    if (!m_painter.isActive())
        return takeFailure();
    if (m_failure) {
        m_printer.abort();
        m_painter.end();
        removeOutputFile();
        return takeFailure();
    }
    if (!m_painter.end() || m_printer.printerState() == QPrinter::Error) {
        removeOutputFile();
        return Error{m_name, "the print job failed"};
    }
    return Done{};
}

void QtLinePrinter::fail(const std::string &reason) {
    if (!m_failure)
        m_failure = Error{m_name, reason};
}

Status QtLinePrinter::takeFailure() {
    if (!m_failure)
        return Done{};
    Error error = *m_failure;
    // A failed document of a shared job keeps failing the job.
    if (m_jobs == Jobs::OnePerDocument)
        m_failure.reset();
    return error;
}

void QtLinePrinter::removeOutputFile() {
    const QString file = m_printer.outputFileName();
    if (!file.isEmpty())
        QFile::remove(file);
}

} // namespace trelm::shell
