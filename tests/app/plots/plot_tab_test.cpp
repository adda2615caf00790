// The window's "Plots" tab (offscreen): the fifth tab after the four it
// always had, filled by the grids' fill and cleared with them, its check
// list hiding series, and wheel zoom, drag pan and "Reset View" changing and
// restoring the time axis.
#include <QApplication>
#include <QGraphicsView>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include "case_name.h"
#include "shell/plot_view.h"
#include "window_fixture.h"

namespace {

using trelm::shell::PlotView;
using trelm::shell::TimeRange;

constexpr int kPlotsTab = 4;

class PlotTab : public WindowTest {
protected:
    // The window started with an eight-channel configuration 9 event open
    // and the Plots tab shown.
    PlotView &openWithPlots() {
        start();
        m_event = writeEvent(m_dir.path() / "Data" / "event.bin", 1, 9);
        EXPECT_TRUE(m_window->openBinFile(QString::fromStdString(m_event.string())));
        m_window->SSTab1()->setCurrentIndex(kPlotsTab);
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        return *m_window->plotView();
    }
    std::filesystem::path m_event;
};

void wheel(QWidget *viewport, QPoint at, int delta) {
    QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
}

void drag(QWidget *viewport, QPoint from, QPoint to) {
    QMouseEvent press(QEvent::MouseButtonPress, from, viewport->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, viewport->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
}

qint64 span(TimeRange range) { return range.to - range.from; }

} // namespace

TEST_F(PlotTab, FifthTabAfterTheFourItAlwaysHad) {
    start();
    QTabWidget *tabs = m_window->SSTab1();
    ASSERT_EQ(tabs->count(), 5);
    QStringList captions;
    for (int tab = 0; tab < tabs->count(); ++tab)
        captions << tabs->tabText(tab);
    EXPECT_EQ(captions.join('|'), "Event &Summary|&Warnings|&Data Log|&Files/Reports|P&lots");
    EXPECT_EQ(tabs->widget(kPlotsTab), m_window->plotView());
}

TEST_F(PlotTab, FillsWithTheGridsAndClearsWithThem) {
    PlotView &view = openWithPlots();
    const int logRows = m_window->gridSet().MSFlexGrid2.rows() - 2;
    EXPECT_EQ(logRows, 3);
    EXPECT_EQ(static_cast<int>(view.scene().plot().times.size()), logRows);
    QStringList names;
    for (int row = 0; row < view.seriesList()->count(); ++row)
        names << view.seriesList()->item(row)->text();
    EXPECT_EQ(names.join('|'), "Ambient T|Pressure|Filter 5 T|Filter 6 T|Filter 7 T|Flow 5|Flow 6|Flow 7|Pump Box T");
    EXPECT_EQ(view.scene().plot().title, "event.bin");

    // A file that cannot be loaded leaves grids and plots as they were.
    EXPECT_FALSE(m_window->openBinFile(QString::fromStdString((m_dir.path() / "missing.bin").string())));
    EXPECT_EQ(view.seriesList()->count(), 9);

    ASSERT_TRUE(m_window->FillGrids(QString()).ok());
    EXPECT_TRUE(view.scene().isEmpty());
    EXPECT_EQ(view.seriesList()->count(), 0);
}

TEST_F(PlotTab, CheckListHidesAndShowsASeries) {
    PlotView &view = openWithPlots();
    QListWidgetItem *pressure = view.seriesList()->item(1);
    pressure->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(view.scene().seriesVisible(1));
    EXPECT_TRUE(view.scene().seriesVisible(0));
    pressure->setCheckState(Qt::Checked);
    EXPECT_TRUE(view.scene().seriesVisible(1));
}

TEST_F(PlotTab, CrosshairReadsTheTimeAndEveryShownValue) {
    PlotView &view = openWithPlots();
    view.seriesList()->item(0)->setCheckState(Qt::Unchecked); // Ambient T hidden
    // Over the last record: 06/15/05 13:00:05, pressure 760, flow 5 (slot 1) at 16.12.
    const qint64 last = view.scene().axisTime(view.scene().plot().times.back());
    view.showCrosshair(view.scene().sceneXOf(last));
    const QString text = view.readOut();
    EXPECT_TRUE(text.startsWith("06/15/05 13:00:05")) << text.toStdString();
    EXPECT_TRUE(text.contains("Pressure 760 mmHg")) << text.toStdString();
    EXPECT_TRUE(text.contains("Flow 5 16.12 L/min")) << text.toStdString();
    EXPECT_FALSE(text.contains("Ambient T")) << text.toStdString();
}

namespace {

enum class Gesture { WheelIn, WheelOut, DragLeft };
const char *caseName(Gesture gesture) {
    return gesture == Gesture::WheelIn ? "WheelInNarrows" : gesture == Gesture::WheelOut ? "WheelOutWidens" : "DragPans";
}

void PrintTo(Gesture gesture, std::ostream *out) { *out << caseName(gesture); }

class PlotGesture : public PlotTab, public ::testing::WithParamInterface<Gesture> {};

} // namespace

TEST_P(PlotGesture, ChangesTheAxisAndResetRestoresIt) {
    PlotView &view = openWithPlots();
    QWidget *viewport = view.canvas()->viewport();
    const TimeRange whole = view.scene().timeRange();
    ASSERT_GT(span(whole), 0);
    const QRectF plots = view.scene().plotsRect();
    const QPoint middle = view.canvas()->mapFromScene(plots.center());
    switch (GetParam()) {
    case Gesture::WheelIn:
        wheel(viewport, middle, 120);
        EXPECT_LT(span(view.scene().timeRange()), span(whole));
        break;
    case Gesture::WheelOut:
        wheel(viewport, middle, -120);
        EXPECT_GT(span(view.scene().timeRange()), span(whole));
        break;
    case Gesture::DragLeft:
        drag(viewport, middle, middle - QPoint(int(plots.width() / 4), 0));
        EXPECT_EQ(span(view.scene().timeRange()), span(whole));
        // A quarter of the width to the left shows a quarter later.
        EXPECT_NEAR(double(view.scene().timeRange().from - whole.from), span(whole) / 4.0, span(whole) / 50.0);
        break;
    }
    EXPECT_NE(view.scene().timeRange(), whole);
    QTest::mouseClick(view.findChild<QPushButton *>("plotReset"), Qt::LeftButton);
    EXPECT_EQ(view.scene().timeRange(), whole);
}

INSTANTIATE_TEST_SUITE_P(Gestures, PlotGesture,
                         ::testing::Values(Gesture::WheelIn, Gesture::WheelOut, Gesture::DragLeft),
                         testsupport::CaseName());
