#include "shell/print_command.h"

#include <QEventLoop>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <memory>

#include "korlink_binder/korlink_binder.h"
#include "plots/event_plot.h"
#include "plots/plots_page.h"
#include "reports/print_run.h"
#include "settings/process_state.h"
#include "shell/korlink_hooks.h"
#include "shell/main_window.h"
#include "shell/message_box.h"
#include "shell/printing_dialog.h"
#include "shell/queue_line_printer.h"
#include "shell/report_pdf.h"

namespace trelm::shell {

namespace {

bool choosePrinterInDialog(QPrinter &printer, MainWindow &window) {
    QPrintDialog dialog(&printer, &window);
    return dialog.exec() == QDialog::Accepted;
}

// Whether the serial library can be loaded, asked without the window's box
// about a missing library: printing works without it.
bool korlinkAtHand() {
    korlink::setMissingReport([](const std::string &) {});
    const bool ready = korlink::ready();
    installKorlinkHooks(); // the window's report box again
    return ready;
}

// The progress window as the run sees it.
class WindowProgress : public PrintProgress {
public:
    WindowProgress(PrintingDialog &dialog, std::function<void(const QString &)> printed)
        : m_dialog(dialog), m_printed(std::move(printed)) {}
    void announce(const std::string &caption) override {
        m_dialog.setReportName(QString::fromStdString(caption));
        // The report composes without handling events: show the caption now.
        m_dialog.repaint();
    }
    void pause(int milliseconds) override {
        m_printed(m_dialog.labelText());
        pauseWithEvents(milliseconds);
    }

private:
    PrintingDialog &m_dialog;
    std::function<void(const QString &)> m_printed;
};

} // namespace

void pauseWithEvents(int milliseconds) {
    if (korlinkAtHand()) {
        korlink::ms_pause(milliseconds);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

PrintCommand::PrintCommand(MainWindow &window) : QObject(&window), m_window(window), m_choose(choosePrinterInDialog) {
    connect(&window, &MainWindow::printRequested, this, &PrintCommand::run);
}

void PrintCommand::setPrinterChooser(PrinterChooser chooser) {
    m_choose = chooser ? std::move(chooser) : PrinterChooser(choosePrinterInDialog);
}

void PrintCommand::run() {
    if (m_running)
        return;
    // The header and event record of the last fill; the Data Log reads the
    // file again itself.
    const grids::FillOutcome &fill = m_window.lastFill();
    if (!fill.filled)
        return;
    LoadedEvent loaded{processState().CurrentBinFile, fill.header, fill.event};
    const ReportSelection selection{m_window.summaryChecked(), m_window.warningsChecked(), m_window.dataLogChecked()};
    // The plots page follows the reports, drawn from the same fill.
    const bool withPlots = m_window.plotsChecked();
    const plots::PlotData plotsPage =
        withPlots ? plots::eventPlot(loaded.path.filename().string(), fill.header, fill.event, fill.log)
                  : plots::PlotData{};

    // Without a report chosen there is nothing to ask a printer for; the
    // progress window still comes and goes.
    const bool anyReport = !reportsInOrder(selection).empty() || withPlots;
    QPrinter printer(QPrinter::HighResolution);
    if (anyReport && !m_choose(printer, m_window))
        return;

    m_running = true;
    auto dialog = std::make_unique<PrintingDialog>(&m_window);
    dialog->show();
    m_window.setPrintEnabled(false);
    WindowProgress progress(*dialog, [this](const QString &caption) { emit reportPrinted(caption); });
    const auto runAll = [&](LinePrinter &linePrinter) {
        Status run = runPrintCommand(linePrinter, loaded, selection, progress);
        if (run && withPlots)
            run = plots::printPlotsPage(linePrinter, plotsPage, loaded.path);
        return run;
    };
    Status printed = Done{};
    if (!anyReport) {
        // Shown and closed again, nothing printed.
    } else if (!printer.outputFileName().isEmpty()) {
        // A PDF file holds all the reports, one after another, under a
        // title naming them all; it appears only when all were written.
        const auto reports = reportsInOrder(selection);
        printer.setDocName(QString::fromStdString(reports.empty() ? "Trelmlink Plots - " + loaded.path.filename().string()
                                                                  : jobName(reports, loaded.path)));
        printed = writeReportsPdfOn(printer, [&](LinePrinter &linePrinter) {
            QMetaObject::Connection cancel = QObject::connect(dialog.get(), &PrintingDialog::cancelRequested,
                                                              [&linePrinter] { linePrinter.abortDocument(); });
            Status run = runAll(linePrinter);
            QObject::disconnect(cancel);
            return run;
        });
    } else {
        // Each report a job of its own on the queue, named and in its own
        // orientation whatever the queue's default.
        QueueLinePrinter linePrinter(printer);
        QMetaObject::Connection cancel = QObject::connect(dialog.get(), &PrintingDialog::cancelRequested,
                                                          [&linePrinter] { linePrinter.abortDocument(); });
        printed = runAll(linePrinter);
        QObject::disconnect(cancel);
    }
    m_window.setPrintEnabled(true);
    dialog.reset();
    m_running = false;
    if (!printed)
        showMessageBox(&m_window, BoxIcon::Exclamation, kAppTitle, QString::fromStdString(printed.error().message()));
}

} // namespace trelm::shell
