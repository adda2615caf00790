// The drawing of an event's plots, one for the window's "Plots" tab, the
// `plot` command and the printed plots page: stacked panels (temperatures,
// pressure, flows) on a graphics scene, each a chart with its series, all
// sharing one time range, and the event's markers as labelled vertical
// lines across every panel.
#pragma once

#include <QGraphicsScene>
#include <QList>
#include <QPointF>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "plots/plot_data.h"

class QChart;
class QDateTimeAxis;
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QValueAxis;

namespace trelm::shell {

// A time range on the axis, in milliseconds as the axis counts them.
struct TimeRange {
    qint64 from = 0;
    qint64 to = 0;
    bool operator==(const TimeRange &) const = default;
};

class PlotScene : public QGraphicsScene {
    Q_OBJECT
public:
    explicit PlotScene(QObject *parent = nullptr);
    ~PlotScene() override;

    // Replaces whatever was shown by the event's plots. `vectorLines` draws
    // each series as one path (SVG, PDF) rather than segment by segment,
    // the faster way on a raster.
    void setPlot(const plots::PlotData &data, bool vectorLines = false);
    // Shows nothing.
    void clearPlot();
    const plots::PlotData &plot() const { return m_data; }
    bool isEmpty() const { return m_data.series.empty() && m_data.markers.empty(); }

    // Lays the panels out to fill `size`, top to bottom.
    void layoutPanels(const QSizeF &size);

    // The shared time axis.
    TimeRange timeRange() const { return m_range; }
    TimeRange fullRange() const { return m_full; }
    void setTimeRange(TimeRange range);
    void resetTimeRange() { setTimeRange(m_full); }
    // The axis time at scene x; empty outside the plot areas.
    std::optional<qint64> timeAt(qreal sceneX) const;
    // Scene x of an axis time.
    qreal sceneXOf(qint64 time) const;
    // The rectangle all panels' plot areas span, in scene coordinates.
    QRectF plotsRect() const;

    // Series `index` of plot().series shown or hidden.
    void setSeriesVisible(int index, bool visible);
    bool seriesVisible(int index) const;

    // "06/15/05 12:31:05  Ambient T 21.0 Deg C  ..." for the record nearest
    // to `time`: the time and every shown value.
    QString readOut(qint64 time) const;

    // The axis time of a sampler stamp.
    qint64 axisTime(std::int32_t stamp) const;

signals:
    void timeRangeChanged(trelm::shell::TimeRange range);

private:
    struct Panel;
    void buildPanel(plots::Panel kind);
    void placeMarkers();
    void alignPlotAreas();

    plots::PlotData m_data;
    std::vector<Panel *> m_panels;
    std::vector<QLineSeries *> m_series; // one per plot().series
    // One label per marked time: markers at the same time share it, their
    // texts joined and cut to the panel's height.
    struct MarkerLabel {
        qint64 time = 0;
        QString text;
        QGraphicsSimpleTextItem *item = nullptr;
    };
    std::vector<MarkerLabel> m_markerLabels;
    QGraphicsSimpleTextItem *m_noRecords = nullptr;
    qint64 m_zoneOffsetMs = 0;
    bool m_vectorLines = false;
    TimeRange m_range;
    TimeRange m_full;
    QSizeF m_size;
};

} // namespace trelm::shell
