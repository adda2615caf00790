// The window's "&Print Report": the selected reports of the loaded event on
// a printer chosen in the print dialog (a CUPS printer, or a PDF file), with
// the progress window frmPrinting and its Cancel, and "&Print Report"
// disabled for the whole run.
#pragma once

#include <QObject>
#include <functional>

class QPrinter;

namespace trelm::shell {

class MainWindow;

class PrintCommand : public QObject {
    Q_OBJECT
public:
    // Chooses and sets up the printer of one run; false when the user
    // cancelled. The default is the print dialog.
    using PrinterChooser = std::function<bool(QPrinter &printer, MainWindow &window)>;

    // Attaches itself to the window's printRequested; lives as its child.
    explicit PrintCommand(MainWindow &window);

    // Replaces the print dialog (tests).
    void setPrinterChooser(PrinterChooser chooser);

    // CmdPrint_Click.
    void run();

signals:
    // A report has been handed to the printer; the pause after it follows.
    void reportPrinted(const QString &caption);

private:
    MainWindow &m_window;
    PrinterChooser m_choose;
    bool m_running = false;
};

// Waits `milliseconds` while the window keeps answering: through the serial
// library's ms_pause when the library is at hand, else a local event loop.
void pauseWithEvents(int milliseconds);

} // namespace trelm::shell
