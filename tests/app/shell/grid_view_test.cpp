// The grids as the operator reads them: fixed columns that stay in place
// while the rest scrolls, and every new file shown from its top left corner.
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTabWidget>

#include "case_name.h"
#include "grids/grid_set.h"
#include "shell/frozen_columns.h"
#include "shell/grid_view.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using trelm::shell::FrozenColumns;
using trelm::shell::GridView;

namespace {

// The widget a click at the middle of a column's first data cell would
// reach, and the column that widget shows there.
struct Hit {
    QWidget *widget;
    int column;
};

Hit hitAt(GridView &view, int column) {
    int left = view.frameWidth();
    for (int col = 0; col < column; ++col)
        left += view.columnWidth(col);
    const int top = view.frameWidth() + (view.horizontalHeader()->isHidden() ? 0 : view.horizontalHeader()->height());
    const QPoint point(left + view.columnWidth(column) / 2, top + view.rowHeight(0) / 2);
    QWidget *widget = view.childAt(point);
    auto *frozen = view.findChild<FrozenColumns *>();
    if (frozen && widget == frozen->viewport())
        return {widget, frozen->indexAt(frozen->viewport()->mapFrom(&view, point)).column()};
    return {widget, view.indexAt(view.viewport()->mapFrom(&view, point)).column()};
}

class FrozenGrids : public WindowTest {
protected:
    GridView &openLog(const char *name, std::int16_t config) {
        writeIni("[PORT]\nCOMM=1\n");
        if (!m_window)
            start();
        const fs::path event = writeEvent(m_startDir / name, 1, config);
        EXPECT_TRUE(m_window->openBinFile(QString::fromStdString(event.string())));
        m_window->SSTab1()->setCurrentIndex(2);
        QApplication::processEvents();
        return *m_window->gridView("MSFlexGrid2");
    }
};

} // namespace

TEST_F(FrozenGrids, DateAndTimeStayInViewWhenTheDataLogScrollsRight) {
    GridView &log = openLog("wide.bin", 10); // 13 columns, wider than the view
    QScrollBar *across = log.horizontalScrollBar();
    ASSERT_GT(across->maximum(), 0);
    across->setValue(across->maximum());
    QApplication::processEvents();
    auto *frozen = log.findChild<FrozenColumns *>();
    ASSERT_NE(frozen, nullptr);
    for (int column : {0, 1}) {
        const Hit hit = hitAt(log, column);
        EXPECT_EQ(hit.widget, frozen->viewport()) << "column " << column;
        EXPECT_EQ(hit.column, column);
        EXPECT_EQ(frozen->horizontalHeader()->logicalIndexAt(hit.column == 0 ? 1 : log.columnWidth(0) + 1), column);
    }
    EXPECT_EQ(log.shownText(0, 0), "Date");
    EXPECT_EQ(log.shownText(0, 1), "Time");
    // The first scrolling column is under the strip, not beside it.
    EXPECT_NE(hitAt(log, 2).column, 2);
}

TEST_F(FrozenGrids, ScrollingDownMovesTheFrozenRowsAlong) {
    GridView &log = openLog("long.bin", 10);
    log.resize(log.width(), log.horizontalHeader()->height() + 3 * log.rowHeight(0));
    QApplication::processEvents();
    QScrollBar *down = log.verticalScrollBar();
    ASSERT_GT(down->maximum(), 0);
    down->setValue(1);
    auto *frozen = log.findChild<FrozenColumns *>();
    EXPECT_EQ(frozen->verticalScrollBar()->value(), 1);
    EXPECT_EQ(frozen->rowAt(0), log.rowAt(0));
}

TEST_F(FrozenGrids, ANewFileStartsAtTheTopLeftCorner) {
    GridView &log = openLog("first.bin", 10);
    log.horizontalScrollBar()->setValue(log.horizontalScrollBar()->maximum());
    log.verticalScrollBar()->setValue(log.verticalScrollBar()->maximum());
    openLog("second.bin", 11);
    EXPECT_EQ(log.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(log.verticalScrollBar()->value(), 0);
}

namespace {

struct FixedColumnsCase {
    const char *name; // the grid
    int frozenColumns;
};

void PrintTo(const FixedColumnsCase &c, std::ostream *out) { *out << c.name; }

class EveryGridFreezesItsFixedColumns : public WindowTest, public testing::WithParamInterface<FixedColumnsCase> {};

} // namespace

TEST_P(EveryGridFreezesItsFixedColumns, TheStripCoversExactlyThem) {
    writeIni("[PORT]\nCOMM=1\n");
    start();
    const fs::path event = writeEvent(m_startDir / "E.bin", 0, 2);
    ASSERT_TRUE(m_window->openBinFile(QString::fromStdString(event.string())));
    GridView &view = *m_window->gridView(GetParam().name);
    auto *frozen = view.findChild<FrozenColumns *>();
    ASSERT_NE(frozen, nullptr);
    int width = 0;
    for (int col = 0; col < GetParam().frozenColumns; ++col)
        width += view.columnWidth(col);
    EXPECT_FALSE(frozen->isHidden());
    EXPECT_EQ(frozen->width(), width);
    EXPECT_EQ(frozen->x(), view.frameWidth());
    for (int col = 0; col < view.model()->columnCount(); ++col)
        EXPECT_EQ(frozen->isColumnHidden(col), col >= GetParam().frozenColumns) << col;
}

INSTANTIATE_TEST_SUITE_P(Grids, EveryGridFreezesItsFixedColumns,
                         testing::Values(FixedColumnsCase{"MSFlexGrid1", 1}, FixedColumnsCase{"MSFlexGrid2", 2},
                                         FixedColumnsCase{"MSFlexGrid3", 1}, FixedColumnsCase{"MSFlexGrid4", 1},
                                         FixedColumnsCase{"MSFlexGrid6", 1}, FixedColumnsCase{"MSFlexGrid7", 1},
                                         FixedColumnsCase{"MSFlexGrid8", 1}, FixedColumnsCase{"MSFlexGrid9", 1}),
                         testsupport::CaseName());
