// The window as it grows: the layout's own size is the smallest and keeps
// every place; extra room goes to the tabs and the data log; the size and
// place come back at the next start from the program's own file, never from
// TRELMLNK.INI; the title names the file shown; the icon is the project's.
#include <QApplication>
#include <QPushButton>
#include <QTabWidget>

#include "settings/process_state.h"
#include "shell/grid_view.h"
#include "shell/window_settings.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using trelm::shell::MainWindow;
using trelm::shell::pixels;

namespace {

// Where the layout puts things at its own size, in window pixels.
struct Places {
    QRect tabs;
    QSize log;
    QPoint exitButton;
    QSize flowStatistics;
};

Places placesOf(MainWindow &window) {
    QPushButton *exit = window.findChild<QPushButton *>("cmdExit");
    return {window.SSTab1()->geometry(), window.gridView("MSFlexGrid2")->size(), exit->mapTo(&window, QPoint()),
            window.gridView("MSFlexGrid4")->size()};
}

} // namespace

TEST_F(WindowTest, GrowingGivesTheRoomToTheDataLogAndTheDefaultSizeKeepsTheLayout) {
    writeIni("[PORT]\nCOMM= 1\n");
    start();
    QApplication::processEvents();
    EXPECT_EQ(m_window->size(), QSize(pixels(9480), pixels(6720)));
    EXPECT_EQ(m_window->minimumSize(), m_window->size());
    const Places layout = placesOf(*m_window);
    EXPECT_EQ(layout.tabs, QRect(pixels(120), pixels(120), pixels(9285), pixels(6495)));
    EXPECT_EQ(layout.log, QSize(pixels(9015), pixels(5895)));

    const QSize extra(200, 120);
    m_window->resize(m_window->size() + extra);
    QApplication::processEvents();
    const Places grown = placesOf(*m_window);
    EXPECT_EQ(grown.tabs, QRect(layout.tabs.topLeft(), layout.tabs.size() + extra));
    EXPECT_EQ(grown.log, layout.log + extra);
    EXPECT_EQ(grown.exitButton, layout.exitButton);         // commands stay where they were
    EXPECT_EQ(grown.flowStatistics, layout.flowStatistics); // fitted grids keep their content's size

    m_window->resize(MainWindow::defaultSize());
    QApplication::processEvents();
    const Places back = placesOf(*m_window);
    EXPECT_EQ(back.tabs, layout.tabs);
    EXPECT_EQ(back.log, layout.log);
}

TEST_F(WindowTest, SizeAndPlaceComeBackFromTheWindowsOwnFileNotTheIni) {
    writeIni("[PORT]\nCOMM= 3\n");
    start();
    m_window->resize(800, 600);
    QApplication::processEvents();
    m_window->close();
    EXPECT_EQ(trelm::shell::windowSettingsPath(), m_ini.parent_path() / "window.conf");
    EXPECT_TRUE(fs::exists(trelm::shell::windowSettingsPath()));
    EXPECT_EQ(iniText(), "[PORT]\nCOMM= 3\n");
    m_window.reset();

    start();
    QApplication::processEvents();
    EXPECT_EQ(m_window->size(), QSize(800, 600));
}

TEST_F(WindowTest, WithoutARememberedSizeTheWindowStartsAtItsLayoutSize) {
    writeIni("[PORT]\nCOMM= 1\n");
    fs::create_directories(m_ini.parent_path());
    testfiles::writeFile(m_ini.parent_path() / "window.conf", {'x'}); // unreadable as settings
    start();
    EXPECT_EQ(m_window->size(), MainWindow::defaultSize());
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(WindowTest, TheTitleNamesTheFileShownAndTheIconIsTheProjectsOwn) {
    writeIni("[PORT]\nCOMM= 1\n");
    const fs::path event = writeEvent(m_startDir / "events" / "E.bin", 1, 4);
    start();
    EXPECT_EQ(m_window->windowTitle(), "Trelmlink");
    ASSERT_TRUE(m_window->openBinFile(QString::fromStdString(event.string())));
    EXPECT_EQ(m_window->windowTitle(), "Trelmlink - E.bin");
    // A file that fails to open leaves the title of the one still shown.
    EXPECT_FALSE(m_window->openBinFile(QString::fromStdString((m_startDir / "gone.bin").string())));
    EXPECT_EQ(m_window->windowTitle(), "Trelmlink - E.bin");
    const QIcon icon = m_window->windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(48, 48).isNull());
}
