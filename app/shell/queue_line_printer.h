// The report line printer for a printer queue: each document is composed
// into a PDF file of its own (in the page size and margins of the printer
// chosen, in the document's orientation) and, when it ends, sent to the
// queue as one named job with its orientation stated. A job the queue
// refuses fails the document with the queue's name and the reason.
#pragma once

#include <QPrinter>
#include <QTemporaryDir>
#include <memory>

#include "shell/qt_line_printer.h"

namespace trelm::shell {

class QueueLinePrinter : public LinePrinter {
public:
    // `chosen` is the printer as the print dialog left it; its queue name
    // and page set-up are taken, it is not printed on.
    explicit QueueLinePrinter(const QPrinter &chosen);

    Orientation orientation() const override { return m_lines->orientation(); }
    void setOrientation(Orientation orientation) override { m_lines->setOrientation(orientation); }
    void setFontName(const std::string &face) override { m_lines->setFontName(face); }
    void setFontSize(int points) override { m_lines->setFontSize(points); }
    void setBold(bool bold) override { m_lines->setBold(bold); }
    void setLeft(int twips) override { m_lines->setLeft(twips); }
    void printText(const std::string &text) override;
    void advanceLine() override;
    void setDocumentName(const std::string &name) override;
    bool fits(const std::string &text) const override { return m_lines->fits(text); }
    Status printPlots(const plots::PlotData &data) override;
    Status endDocument() override;
    void abortDocument() override;

private:
    // Before the first line of a document: a fresh file, and the
    // orientation the document is composed in.
    void beginDocument();

    std::string m_queue;
    QTemporaryDir m_folder;
    QPrinter m_pdf;
    std::unique_ptr<QtLinePrinter> m_lines;
    std::string m_name;
    Orientation m_documentOrientation = Orientation::Portrait;
    bool m_inDocument = false;
    int m_documents = 0;
    int m_copies = 1; // as the print dialog set them
};

} // namespace trelm::shell
