// The controls of frmMain at their places: positions are the window's
// twips, 15 to a pixel; Qt scales the pixels on high-density screens.
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "korlink_binder/com_device.h"
#include "shell/command_keys.h"
#include "shell/grid_view.h"
#include "shell/main_window.h"
#include "shell/plot_view.h"
#include "shell/window_font.h"

// The resources (the window icon) of a static library are registered by
// hand, from outside any namespace.
static void initShellResources() { Q_INIT_RESOURCE(shell); }

namespace trelm::shell {

namespace {

constexpr int kTabsWidth = 9285;
constexpr int kTabsHeight = 6495;

void place(QWidget *widget, int left, int top, int width, int height) {
    widget->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

// Positions on a tab count from the tab control's top, above its tab row;
// a page starts below that row.
int pageTop(int top, int tabRowHeight) { return std::max(0, pixels(top) - tabRowHeight); }

template <typename Control>
Control *named(Control *control, const char *name) {
    control->setObjectName(name);
    return control;
}

// The decorative picture of the "&Files/Reports" tab: a sampler cabinet
// with its four canister ports.
QPixmap samplerPicture() {
    QPixmap picture(85, 66);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 60, 90), 2));
    painter.setBrush(QColor(200, 215, 235));
    painter.drawRoundedRect(QRectF(4, 4, 77, 58), 6, 6);
    painter.setBrush(QColor(70, 110, 160));
    for (int i = 0; i < 4; ++i)
        painter.drawEllipse(QRectF(10 + 17 * i, 12, 12, 12));
    painter.setPen(QColor(40, 60, 90));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(14);
    painter.setFont(font);
    painter.drawText(QRectF(4, 30, 77, 28), Qt::AlignCenter, "TRELM");
    return picture;
}

} // namespace

void MainWindow::buildLayout() {
    setObjectName("frmMain");
    setWindowTitle("Trelmlink");
    setFont(windowFont());
    // The layout's own size is the smallest; growing gives the room to the
    // tabs and the data log (resizeEvent).
    setMinimumSize(defaultSize());
    resize(defaultSize());
    initShellResources();
    setWindowIcon(QIcon(":/trelmlink/trelmlink.svg"));
    setAcceptDrops(true);
    m_startDownLoad = named(new QTimer(this), "StartDownLoad");
    m_startDownLoad->setInterval(400);
    m_tabs = named(new QTabWidget(this), "SSTab1");
    place(m_tabs, 120, 120, kTabsWidth, kTabsHeight);
    buildGridTabs();
    auto *files = new QWidget;
    m_tabs->addTab(files, "&Files/Reports");
    buildFilesTab(files);
    m_plotView = new PlotView;
    m_tabs->addTab(m_plotView, "P&lots");
    attachCommandKeys(*this);
}

QSize MainWindow::defaultSize() { return {pixels(9480), pixels(6720)}; }

void MainWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (!m_tabs)
        return;
    const QSize extra = (size() - defaultSize()).expandedTo(QSize(0, 0));
    m_tabs->resize(QSize(pixels(kTabsWidth), pixels(kTabsHeight)) + extra);
    // The grids that scroll (the data log) take the room; the others keep
    // their content's size.
    for (const grids::GridPlacement &at : grids::gridPlacements())
        if (auto view = m_views.find(std::string(at.name)); !at.fitted && view != m_views.end())
            view->second->resize(QSize(pixels(at.width), pixels(at.height)) + extra);
}

void MainWindow::buildGridTabs() {
    const char *captions[] = {"Event &Summary", "&Warnings", "&Data Log"};
    QWidget *pages[3];
    for (int tab = 0; tab < 3; ++tab) {
        pages[tab] = new QWidget;
        m_tabs->addTab(pages[tab], captions[tab]);
    }
    const int tabRow = m_tabs->tabBar()->sizeHint().height();
    for (const grids::GridPlacement &at : grids::gridPlacements()) {
        QWidget *page = pages[at.tab];
        const QString name = QString::fromUtf8(at.name.data(), static_cast<int>(at.name.size()));
        if (!at.title.empty()) {
            auto *title = new QLabel(QString::fromUtf8(at.title.data(), static_cast<int>(at.title.size())), page);
            title->move(pixels(at.titleLeft), pageTop(at.titleTop, tabRow));
            title->adjustSize();
        }
        // Every grid but the data log takes its content's size after a fill;
        // the data log keeps its size and scrolls.
        const bool fitted = at.name != "MSFlexGrid2";
        auto *view = new GridView(*m_grids.find(at.name), fitted, page);
        view->setObjectName(name);
        view->move(pixels(at.left), pageTop(at.top, tabRow));
        m_views[std::string(at.name)] = view;
    }
}

void MainWindow::buildFilesTab(QWidget *page) {
    const int tabRow = m_tabs->tabBar()->sizeHint().height();
    auto placeOnPage = [&](QWidget *widget, int left, int top, int width, int height) {
        widget->setGeometry(pixels(left), pageTop(top, tabRow), pixels(width), pixels(height));
    };

    auto *serial = new QGroupBox("Serial Communications", page);
    placeOnPage(serial, 4680, 1080, 4335, 3255);
    auto *portFrame = new QGroupBox("Port", serial);
    place(portFrame, 240, 480, 2295, 2295);
    auto *ports = new QButtonGroup(this);
    ports->setExclusive(true);
    // Left column COM 1, 2, 5, 7, 9; right column COM 3, 4, 6, 8, 10.
    const int rowTops[] = {360, 720, 1080, 1440, 1800};
    const int left[] = {1, 2, 5, 7, 9};
    const int right[] = {3, 4, 6, 8, 10};
    for (int row = 0; row < 5; ++row) {
        for (const auto &[port, x] : {std::pair{left[row], 240}, std::pair{right[row], 1200}}) {
            auto *option = new QRadioButton(QString("COM %1").arg(port), portFrame);
            option->setObjectName(QString("optCom%1").arg(port));
            option->setToolTip(QString::fromStdString(comDeviceDescription(port)));
            place(option, x, rowTops[row], 945, 255);
            ports->addButton(option, port);
            m_optCom[port - 1] = option;
            connect(option, &QRadioButton::toggled, this, [this, port](bool checked) {
                if (checked)
                    choosePort(port);
            });
            // After a first start COM 1 is selected but not yet written:
            // choosing it writes it.
            connect(option, &QRadioButton::clicked, this, [this, port] {
                if (!m_portWritten)
                    choosePort(port);
            });
        }
    }
    // Right-click on the ports: which device each COM number stands for.
    portFrame->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(portFrame, &QGroupBox::customContextMenuRequested, this, [this, portFrame](const QPoint &at) {
        auto *menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        connect(menu->addAction("Ports..."), &QAction::triggered, this, &MainWindow::showPortMap);
        menu->popup(portFrame->mapToGlobal(at));
    });
    auto *baudFrame = new QGroupBox("Baud Rate", serial);
    place(baudFrame, 2640, 480, 1455, 615);
    auto *baud = named(new QRadioButton("9600", baudFrame), "opt9600");
    place(baud, 240, 240, 975, 255);
    baud->setChecked(true);

    auto *filesFrame = new QGroupBox("Files", page);
    placeOnPage(filesFrame, 240, 1080, 4215, 2175);
    place(named(new QLabel("Current File:", filesFrame), "lblCurrLogFile"), 240, 360, 1935, 255);
    m_txtExportFile = named(new QLineEdit(filesFrame), "txtExportFile");
    m_txtExportFile->setReadOnly(true);
    place(m_txtExportFile, 120, 600, 3975, 285);
    auto *open = named(new QPushButton("&Open File (BIN)", filesFrame), "Command4");
    place(open, 240, 1080, 1695, 375);
    connect(open, &QPushButton::clicked, this, &MainWindow::Command4_Click);
    open->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(open, &QPushButton::customContextMenuRequested, this,
            [this, open](const QPoint &at) { recentFilesMenu()->popup(open->mapToGlobal(at)); });
    m_cmdRetrieve = named(new QPushButton("&Retrieve Data", filesFrame), "cmdRetrieve");
    place(m_cmdRetrieve, 2160, 1080, 1815, 375);
    connect(m_cmdRetrieve, &QPushButton::clicked, this, &MainWindow::retrieveRequested);
    m_cmdNewFile = named(new QPushButton("&Export File", filesFrame), "cmdNewFile");
    place(m_cmdNewFile, 240, 1560, 1695, 375);
    m_cmdNewFile->setEnabled(false);
    connect(m_cmdNewFile, &QPushButton::clicked, this, &MainWindow::cmdNewFile_Click);

    auto *reports = new QGroupBox("Reports", page);
    placeOnPage(reports, 240, 3360, 4215, 2775);
    place(new QLabel("Reports to print:", reports), 480, 360, 1935, 255);
    m_chkSummary = named(new QCheckBox("Event Summary", reports), "chkSummary");
    place(m_chkSummary, 480, 600, 2175, 315);
    m_chkSummary->setChecked(true);
    m_chkWarning = named(new QCheckBox("Warnings", reports), "ChkWarning");
    place(m_chkWarning, 480, 960, 2175, 255);
    m_chkDataLog = named(new QCheckBox("Data log", reports), "chkDataLog");
    place(m_chkDataLog, 480, 1320, 2055, 255);
    m_chkPlots = named(new QCheckBox("Plots", reports), "chkPlots");
    place(m_chkPlots, 480, 1680, 2055, 255);
    m_cmdPrint = named(new QPushButton("&Print Report", reports), "CmdPrint");
    place(m_cmdPrint, 1320, 2280, 1455, 375);
    m_cmdPrint->setEnabled(false);
    connect(m_cmdPrint, &QPushButton::clicked, this, &MainWindow::printRequested);

    auto *about = named(new QPushButton("Abou&t", page), "Command3");
    placeOnPage(about, 4680, 5640, 1335, 495);
    connect(about, &QPushButton::clicked, this, &MainWindow::showAbout);
    auto *exit = named(new QPushButton("&Exit", page), "cmdExit");
    placeOnPage(exit, 7800, 5640, 1335, 495);
    connect(exit, &QPushButton::clicked, this, &MainWindow::cmdExit_Click);

    auto *picture = new QLabel(page);
    picture->setPixmap(samplerPicture());
    picture->setGeometry(pixels(6420), pageTop(4560, tabRow), 85, 66);
}

} // namespace trelm::shell
