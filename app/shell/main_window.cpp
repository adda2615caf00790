#include "shell/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <filesystem>
#include <system_error>

#include "datafile/codes.h"
#include "datafile/event_file.h"
#include "export/export_event.h"
#include "settings/data_dir.h"
#include "settings/ini_file.h"
#include "settings/process_state.h"
#include "shell/about_dialog.h"
#include "grids/grid_setups.h"
#include "shell/grid_view.h"
#include "shell/plot_view.h"
#include "plots/event_plot.h"
#include "shell/message_box.h"
#include "shell/port_map_dialog.h"
#include "shell/settings_access.h"
#include "shell/window_settings.h"

namespace trelm::shell {

namespace {

constexpr int kFilesTab = 3;
constexpr int kSummaryTab = 0;
constexpr std::int16_t kFirstStartPort = 1;

bool sameFile(const std::string &a, const std::string &b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QWidget(parent) {
    m_chooseOpenFile = [this](const QString &previous) {
        const QString start = previous.isEmpty() ? QDir::currentPath() : previous;
        return QFileDialog::getOpenFileName(this, "Open BIN File", start, "Bin Files (*.bin)");
    };
    m_chooseSaveFile = [this] { return QFileDialog::getSaveFileName(this, QString(), QDir::currentPath(), "*.csv (*.csv)"); };
    buildLayout();
}

MainWindow::~MainWindow() {
    m_msgForm.HideMessage();
    // The grid views read the grid set, a member destroyed before the base
    // class would delete its children: the views go first.
    delete m_tabs;
}

void MainWindow::startUp() {
    ProcessState &state = processState();
    std::error_code error;
    state.StartDir = std::filesystem::current_path(error).string();
    if (auto entered = EnterDataDir(state.StartDir); !entered)
        showError(QString::fromStdString(entered.error().message()) +
                  "\nFiles are read and written in " + QString::fromStdString(state.StartDir) + ".");
    std::error_code missing;
    if (!std::filesystem::exists(IniFilePath(), missing) && !missing) {
        // A first start: no complaint, COM 1 until the operator chooses a
        // port, and the file is written only then.
        state.CommPort = kFirstStartPort;
        const QSignalBlocker quiet(m_optCom[kFirstStartPort - 1]);
        m_optCom[kFirstStartPort - 1]->setChecked(true);
    } else {
        state.CommPort = static_cast<std::int16_t>(leadingInteger(ReadIniValue("PORT", "COMM", this)));
        if (state.CommPort >= 1 && state.CommPort <= 10)
            m_optCom[state.CommPort - 1]->setChecked(true); // its action writes the value back
    }
    restoreWindowGeometry(*this);
    applyPortDevices();
    refreshPortTooltips();
    m_tabs->setCurrentIndex(kFilesTab);
    grids::initGrids(m_grids);
    refreshGridViews();
}

void MainWindow::choosePort(int port) {
    m_portWritten = true;
    processState().CommPort = static_cast<std::int16_t>(port);
    WriteIniValue("PORT", "COMM", commValueText(port), this);
}

Status MainWindow::FillGrids(const QString &path) {
    // The fill shows "Filling Grids..." in the message window itself. It
    // fills a copy: a file that cannot be shown leaves the grids as they were.
    grids::GridSet grids = m_grids;
    auto filled = grids::FillGrids(grids, path.toStdString(), m_msgForm);
    if (!filled)
        return filled.error();
    m_grids = std::move(grids);
    refreshGridViews();
    m_lastFill = std::move(filled.value());
    refreshPlotView(path);
    processState().modelFlag = m_lastFill.header.modelFlag;
    return Done{};
}

bool MainWindow::openBinFile(const QString &path) {
    ProcessState &state = processState();
    m_txtExportFile->setText(path);
    if (Status filled = FillGrids(path); !filled) {
        // The grids, labels and commands stay those of the file loaded
        // before, which the field shows again.
        m_txtExportFile->setText(QString::fromStdString(state.CurrentBinFile));
        showError(QString::fromStdString(filled.error().message()));
        return false;
    }
    state.CurrentBinFile = path.toStdString();
    rememberRecentFile(path);
    m_tabs->setCurrentIndex(kSummaryTab);
    enableFileCommands();
    return true;
}

void MainWindow::Command4_Click() {
    // The dialog remembers the name chosen last: cancelling yields that
    // name again (re-opening it), or nothing before the first choice.
    if (const QString chosen = m_chooseOpenFile(m_lastBinChoice); !chosen.isEmpty())
        m_lastBinChoice = chosen;
    if (!m_lastBinChoice.isEmpty())
        openBinFile(m_lastBinChoice);
}

void MainWindow::cmdNewFile_Click() {
    const QString name = m_chooseSaveFile();
    if (name.isEmpty())
        return;
    ProcessState &state = processState();
    state.ExportCsvFile = name.toStdString();
    if (sameFile(state.ExportCsvFile, state.CurrentBinFile)) {
        showError(name + ": is the event file itself; choose another name for the export");
        return;
    }
    auto event = readEventFile(state.CurrentBinFile);
    if (!event) {
        showError(QString::fromStdString(event.error().message()));
        return;
    }
    const Status exported =
        isEightChannel(state.modelFlag)
            ? ExportEightChannel(state.ExportCsvFile, event.value(), state.CurrentBinFile, m_msgForm)
            : ExportFiveChannel(state.ExportCsvFile, event.value(), state.CurrentBinFile, m_msgForm);
    if (!exported)
        showError(QString::fromStdString(exported.error().message()));
}

void MainWindow::cmdExit_Click() {
    close();
    QCoreApplication::quit();
}

void MainWindow::showAbout() {
    AboutDialog about(this);
    about.exec();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // Unload: back to the folder the program was started in.
    if (!m_unloaded && !processState().StartDir.empty()) {
        std::error_code error;
        std::filesystem::current_path(processState().StartDir, error);
    }
    if (!m_unloaded)
        saveWindowGeometry(*this);
    m_unloaded = true;
    m_msgForm.HideMessage();
    event->accept();
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent *event) {
    // Only the window's own margin around the tabs prints; a double-click
    // inside a tab page reaches here too, as pages pass it on.
    if (!m_tabs->geometry().contains(event->position().toPoint()))
        printWindowImageThroughDialog();
    QWidget::mouseDoubleClickEvent(event);
}

void MainWindow::printWindowImageThroughDialog() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted && !printWindowImage(printer))
        showError("The printer cannot be used: " + printer.printerName());
}

bool MainWindow::printWindowImage(QPrinter &printer) {
    const QPixmap image = grab();
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawPixmap(0, 0, image);
    return painter.end();
}

void MainWindow::refreshPlotView(const QString &path) {
    if (!m_lastFill.filled) {
        m_plotView->clearPlot();
        return;
    }
    const grids::FillOutcome &fill = m_lastFill;
    m_plotView->setPlot(plots::eventPlot(QFileInfo(path).fileName().toStdString(), fill.header, fill.event, fill.log));
}

void MainWindow::refreshGridViews() {
    for (auto &[name, view] : m_views)
        view->refresh();
}

void MainWindow::showError(const QString &text) { showMessageBox(this, BoxIcon::Exclamation, kAppTitle, text); }

void MainWindow::setOpenFileChooser(std::function<QString(const QString &)> chooser) {
    m_chooseOpenFile = std::move(chooser);
}

void MainWindow::setSaveFileChooser(std::function<QString()> chooser) { m_chooseSaveFile = std::move(chooser); }

bool MainWindow::summaryChecked() const { return m_chkSummary->isChecked(); }
bool MainWindow::warningsChecked() const { return m_chkWarning->isChecked(); }
bool MainWindow::dataLogChecked() const { return m_chkDataLog->isChecked(); }
bool MainWindow::plotsChecked() const { return m_chkPlots->isChecked(); }

void MainWindow::setPrintEnabled(bool enabled) { m_cmdPrint->setEnabled(enabled); }

void MainWindow::enableFileCommands() {
    const std::string &file = processState().CurrentBinFile;
    m_txtExportFile->setText(QString::fromStdString(file));
    setWindowTitle(QString(kAppTitle) + " - " + QString::fromStdString(std::filesystem::path(file).filename().string()));
    m_cmdPrint->setEnabled(true);
    m_cmdNewFile->setEnabled(true);
}

} // namespace trelm::shell

namespace trelm::shell {

void MainWindow::setRetrieveEnabled(bool enabled) { m_cmdRetrieve->setEnabled(enabled); }

} // namespace trelm::shell
