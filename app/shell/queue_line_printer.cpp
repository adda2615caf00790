#include "shell/queue_line_printer.h"

#include <QFile>

#include "shell/print_queue.h"

namespace trelm::shell {

namespace {

// What messages call a printer dialog that named no queue.
constexpr const char *kNoQueue = "the printer";

} // namespace

QueueLinePrinter::QueueLinePrinter(const QPrinter &chosen)
    : m_queue(chosen.printerName().toStdString()), m_pdf(QPrinter::HighResolution) {
    if (m_queue.empty())
        m_queue = kNoQueue;
    m_copies = chosen.copyCount();
    m_pdf.setOutputFormat(QPrinter::PdfFormat);
    m_pdf.setPageLayout(chosen.pageLayout());
    m_pdf.setCreator("Trelmlink");
    m_lines = std::make_unique<QtLinePrinter>(m_pdf, QtLinePrinter::Jobs::OnePerDocument, m_queue);
}

void QueueLinePrinter::beginDocument() {
    if (m_inDocument)
        return;
    m_inDocument = true;
    m_documentOrientation = m_lines->orientation();
    m_pdf.setOutputFileName(m_folder.filePath(QString("document-%1.pdf").arg(++m_documents)));
    m_pdf.setDocName(QString::fromStdString(m_name));
}

void QueueLinePrinter::printText(const std::string &text) {
    beginDocument();
    m_lines->printText(text);
}

Status QueueLinePrinter::printPlots(const plots::PlotData &data) {
    beginDocument();
    return m_lines->printPlots(data);
}

void QueueLinePrinter::advanceLine() {
    beginDocument();
    m_lines->advanceLine();
}

void QueueLinePrinter::setDocumentName(const std::string &name) {
    m_name = name;
    m_lines->setDocumentName(name);
}

Status QueueLinePrinter::endDocument() {
    if (!m_inDocument)
        return m_lines->endDocument();
    m_inDocument = false;
    if (!m_folder.isValid())
        return Error{m_queue, "no temporary folder for the print job (" + m_folder.errorString().toStdString() + ")"};
    Status composed = m_lines->endDocument();
    const QString file = m_pdf.outputFileName();
    if (composed && m_queue == kNoQueue)
        composed = Error{m_queue, "no printer is installed"};
    if (composed)
        composed =
            sendToQueue(m_queue, QFile::encodeName(file).toStdString(), m_name, m_documentOrientation, m_copies);
    QFile::remove(file);
    return composed;
}

void QueueLinePrinter::abortDocument() {
    m_lines->abortDocument();
    m_inDocument = false;
}

} // namespace trelm::shell
