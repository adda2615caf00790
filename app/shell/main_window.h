// frmMain: the program's window. Four tabs: the event summary, warnings and
// data log grids, and "&Files/Reports" with every command; a fifth, "Plots",
// draws the data log filled with the grids. It owns the
// start-up (data folder, port setting, grid set-ups), the commands Open,
// Export and Exit, the port options, and the unload that returns to the
// start-up folder. Retrieval and printing attach to retrieveRequested and
// printRequested.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <map>

#include "datafile/result.h"
#include "shell/msg_form.h"
#include "grids/fill_grids.h"
#include "grids/grid_set.h"

class QCheckBox;
class QPrinter;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace trelm::shell {

class GridView;
class PlotView;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The load step: data folder, settings, port option, tab 3, grid
    // set-ups. Separate from construction so tests can prepare first.
    void startUp();

    // Loads an event file onto the grids exactly as Open File (BIN) does
    // after its dialog. A file that cannot be loaded is told in a message;
    // the grids stay cleared and the current file and commands stay as they
    // were. True when loaded.
    bool openBinFile(const QString &path);

    // Clears and fills the grids from `path` and shows them; the one place
    // every fill goes through (Open, the command line, a download). The
    // header and event record read stay for printing (lastFill).
    Status FillGrids(const QString &path);
    const grids::FillOutcome &lastFill() const { return m_lastFill; }

    // Commands, as the buttons run them.
    void Command4_Click();  // Open File (BIN)
    void cmdNewFile_Click(); // Export File
    void cmdExit_Click();   // Exit

    // Replace the file dialogs (tests). The open chooser gets the previous
    // choice and returns the new one, or empty text when cancelled; the save
    // chooser returns the name, or empty text.
    void setOpenFileChooser(std::function<QString(const QString &previous)> chooser);
    void setSaveFileChooser(std::function<QString()> chooser);

    grids::GridSet &gridSet() { return m_grids; }
    GridView *gridView(const std::string &name) const { return m_views.at(name); }
    QTimer *StartDownLoad() const { return m_startDownLoad; }
    QTabWidget *SSTab1() const { return m_tabs; }
    // The "Plots" tab, filled and cleared with the grids.
    PlotView *plotView() const { return m_plotView; }
    MsgForm &msgForm() { return m_msgForm; }
    // The reports chosen on the "&Files/Reports" tab.
    bool summaryChecked() const;
    bool warningsChecked() const;
    bool dataLogChecked() const;
    // "Plots": a landscape page of the event's plots after the reports.
    bool plotsChecked() const;
    // Prints an image of the whole window on one page of `printer`, scaled
    // to the page; false when the printer cannot be used.
    bool printWindowImage(QPrinter &printer);
    // Enables or disables "&Print Report" (disabled while reports print).
    void setPrintEnabled(bool enabled);
    // After a download: the grids were filled, the commands act on the file.
    void enableFileCommands();
    // "&Retrieve Data" is disabled while a retrieval runs.
    void setRetrieveEnabled(bool enabled);
    // The size the layout was made for, the window's smallest.
    static QSize defaultSize();
    // The Open button's menu (its context menu): the event files opened
    // last, each opening its file; the window owns it.
    QMenu *recentFilesMenu();
    // "Ports...": maps COM 1 to 10 onto devices, then names them anew in
    // the options' tooltips.
    void showPortMap();

signals:
    void retrieveRequested();
    void printRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // An event file dropped on the window opens as Open File (BIN) would.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void buildLayout();
    void buildGridTabs();
    void buildFilesTab(QWidget *page);
    void choosePort(int port);
    void refreshGridViews();
    void refreshPlotView(const QString &path);
    void refreshPortTooltips();
    void printWindowImageThroughDialog();
    void showAbout();
    void showError(const QString &text);

    QTabWidget *m_tabs = nullptr;
    QTimer *m_startDownLoad = nullptr;
    std::array<QRadioButton *, 10> m_optCom{};
    QLineEdit *m_txtExportFile = nullptr;
    QPushButton *m_cmdRetrieve = nullptr;
    QPushButton *m_cmdNewFile = nullptr;
    QPushButton *m_cmdPrint = nullptr;
    QCheckBox *m_chkSummary = nullptr;
    QCheckBox *m_chkWarning = nullptr;
    QCheckBox *m_chkDataLog = nullptr;
    QCheckBox *m_chkPlots = nullptr;
    grids::GridSet m_grids;
    grids::FillOutcome m_lastFill;
    std::map<std::string, GridView *> m_views;
    PlotView *m_plotView = nullptr;
    MsgForm m_msgForm;
    QString m_lastBinChoice; // the open dialog's remembered name
    std::function<QString(const QString &)> m_chooseOpenFile;
    std::function<QString()> m_chooseSaveFile;
    bool m_unloaded = false;
    bool m_portWritten = false; // a port choice has reached the settings file
};

} // namespace trelm::shell
