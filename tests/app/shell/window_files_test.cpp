// The other ways to open an event file: dropping it on the window, and the
// Open button's menu of the five files opened last, kept across starts.
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTabWidget>
#include <QUrl>

#include "settings/process_state.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using trelm::processState;

namespace {

QMimeData *filesToDrop(const std::vector<fs::path> &files) {
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const fs::path &file : files)
        urls << QUrl::fromLocalFile(QString::fromStdString(file.string()));
    data->setUrls(urls);
    return data;
}

// Drags `files` over the window and drops them if the window takes them;
// whether it took them.
bool drop(QWidget &window, const std::vector<fs::path> &files) {
    std::unique_ptr<QMimeData> data(filesToDrop(files));
    const QPoint at(20, 20);
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &dropped);
    return dropped.isAccepted();
}

QStringList menuTexts(QMenu &menu) {
    QStringList texts;
    for (QAction *action : menu.actions())
        texts << action->text();
    return texts;
}

} // namespace

TEST_F(WindowTest, AnEventFileDroppedOnTheWindowOpensLikeOpenFile) {
    writeIni("[PORT]\nCOMM= 1\n");
    const fs::path event = writeEvent(m_startDir / "dropped.bin", 1, 4);
    start();
    EXPECT_FALSE(drop(*m_window, {event, event})); // one file at a time
    EXPECT_TRUE(processState().CurrentBinFile.empty());
    EXPECT_TRUE(drop(*m_window, {event}));
    EXPECT_EQ(processState().CurrentBinFile, event.string());
    EXPECT_EQ(m_window->SSTab1()->currentIndex(), 0);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(WindowTest, TheOpenMenuHoldsTheFiveFilesOpenedLastAcrossStarts) {
    writeIni("[PORT]\nCOMM= 1\n");
    start();
    QMenu *none = m_window->recentFilesMenu();
    ASSERT_EQ(none->actions().size(), 1);
    EXPECT_FALSE(none->actions().front()->isEnabled());
    std::vector<fs::path> files;
    for (int i = 1; i <= 6; ++i) {
        const std::string name = QString("E%1.bin").arg(i).toStdString();
        files.push_back(writeEvent(m_startDir / name, 1, 4));
        ASSERT_TRUE(m_window->openBinFile(QString::fromStdString(files.back().string())));
    }
    // E2 opened again moves to the front; a file that fails is not kept.
    ASSERT_TRUE(m_window->openBinFile(QString::fromStdString(files[1].string())));
    EXPECT_FALSE(m_window->openBinFile(QString::fromStdString((m_startDir / "gone.bin").string())));
    m_window->close();
    m_window.reset();

    start();
    QMenu *menu = m_window->recentFilesMenu();
    EXPECT_EQ(menuTexts(*menu), (QStringList{"E2.bin", "E6.bin", "E5.bin", "E4.bin", "E3.bin"}));
    menu->actions().at(3)->trigger();
    EXPECT_EQ(processState().CurrentBinFile, (m_startDir / "E4.bin").string());
    EXPECT_EQ(m_window->recentFilesMenu()->actions().front()->text(), "E4.bin");
}
