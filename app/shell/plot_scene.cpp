#include "shell/plot_scene.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <cstdlib>

#include "datafile/time_format.h"

namespace trelm::shell {

namespace {

constexpr int kPanelWeights[plots::kPanelCount] = {3, 2, 3}; // temperatures, pressure, flows
constexpr int kTimeTicks = 7;
constexpr qint64 kEmptyRangeMs = 60'000; // an event without duration still gets a minute
constexpr double kValuePadding = 0.05;   // of the value span, above and below
constexpr qreal kLabelGap = 3;
const char *const kNoRecords = "no log records in this event";
const char *const kTimeFormat = "MM/dd hh:mm";
constexpr qreal kLegendWidth = 120; // the same in every panel, so the plot areas line up
constexpr qreal kSeriesPenWidth = 1.5;
// One colour per series of an event (at most eleven), none repeated.
const QColor kSeriesColors[] = {{31, 119, 180}, {214, 39, 40},   {44, 160, 44},  {255, 127, 14},
                                {148, 103, 189}, {140, 86, 75},  {227, 119, 194}, {127, 127, 127},
                                {188, 189, 34},  {23, 190, 207}, {0, 0, 128},    {128, 0, 0}};

QColor markerColor(plots::MarkerKind kind) {
    switch (kind) {
    case plots::MarkerKind::Start:
    case plots::MarkerKind::Stop:
        return QColor(90, 90, 90);
    case plots::MarkerKind::PowerFailure:
        return QColor(130, 40, 160);
    default:
        return QColor(210, 60, 20);
    }
}

// Qt Charts draws a solid line point to point, one segment at a time (the
// fast way on a raster); any other pen style draws the whole line as one
// path, which a vector picture keeps as one path per series. A dash longer
// than any line on the picture looks solid.
QPen seriesPen(const QColor &color, bool onePath) {
    constexpr qreal kDash = 1e6; // pen widths
    constexpr qreal kGap = 1;
    QPen pen(color, kSeriesPenWidth);
    if (onePath)
        pen.setDashPattern({kDash, kGap});
    return pen;
}

} // namespace

struct PlotScene::Panel {
    plots::Panel kind = plots::Panel::Temperatures;
    QChart *chart = nullptr;
    QDateTimeAxis *time = nullptr;
    QValueAxis *values = nullptr;
    std::vector<QGraphicsLineItem *> markerLines;
};

PlotScene::PlotScene(QObject *parent) : QGraphicsScene(parent) { setBackgroundBrush(Qt::white); }

PlotScene::~PlotScene() { clearPlot(); }

void PlotScene::clearPlot() {
    clear(); // deletes the charts with their series and axes, and the markers
    for (Panel *panel : m_panels)
        delete panel;
    m_panels.clear();
    m_series.clear();
    m_markerLabels.clear();
    m_noRecords = nullptr;
    m_data = {};
    m_range = m_full = {};
}

qint64 PlotScene::axisTime(std::int32_t stamp) const { return qint64(stamp) * 1000 - m_zoneOffsetMs; }

void PlotScene::setPlot(const plots::PlotData &data, bool vectorLines) {
    clearPlot();
    m_data = data;
    m_vectorLines = vectorLines;
    // Stamps are the sampler's wall clock; the axis shows local time, so the
    // zone's offset is taken off once for the whole event.
    const std::int32_t first = data.times.empty() ? data.start : data.times.front();
    m_zoneOffsetMs = qint64(QDateTime::fromSecsSinceEpoch(first).offsetFromUtc()) * 1000;
    m_series.assign(data.series.size(), nullptr);
    for (plots::Panel kind : {plots::Panel::Temperatures, plots::Panel::Pressure, plots::Panel::Flows})
        if (std::any_of(data.series.begin(), data.series.end(), [kind](const auto &s) { return s.panel == kind; }))
            buildPanel(kind);

    std::int32_t low = std::min(data.start, data.stop), high = std::max(data.start, data.stop);
    if (!data.times.empty()) {
        const auto [minimum, maximum] = std::minmax_element(data.times.begin(), data.times.end());
        low = data.start ? std::min(low, *minimum) : *minimum;
        high = std::max(high, *maximum);
    }
    m_full = {axisTime(low), std::max(axisTime(high), axisTime(low) + kEmptyRangeMs)};
    if (data.times.empty()) {
        m_noRecords = addSimpleText(kNoRecords);
        m_noRecords->setZValue(2);
    }
    for (const plots::Marker &marker : data.markers) {
        for (Panel *panel : m_panels) {
            auto *line = addLine(QLineF(), QPen(markerColor(marker.kind), 1, Qt::DashLine));
            line->setZValue(1);
            panel->markerLines.push_back(line);
        }
        const qint64 time = axisTime(marker.time);
        const QString text = QString::fromStdString(marker.label);
        const auto same = std::find_if(m_markerLabels.begin(), m_markerLabels.end(),
                                       [time](const MarkerLabel &label) { return label.time == time; });
        if (same != m_markerLabels.end()) {
            same->text += ", " + text;
            continue;
        }
        auto *label = addSimpleText(text);
        label->setBrush(markerColor(marker.kind));
        label->setRotation(-90);
        label->setZValue(2);
        m_markerLabels.push_back({time, text, label});
    }
    setTimeRange(m_full);
    if (!m_size.isEmpty())
        layoutPanels(m_size);
}

void PlotScene::buildPanel(plots::Panel kind) {
    auto *panel = new Panel;
    panel->kind = kind;
    panel->chart = new QChart;
    panel->chart->setTitle(QString::fromStdString(plots::panelTitle(kind)));
    panel->chart->setMargins(QMargins(4, 2, 4, 2));
    panel->chart->setBackgroundRoundness(0);
    panel->chart->legend()->setAlignment(Qt::AlignRight);
    panel->chart->legend()->setMinimumWidth(kLegendWidth);
    panel->chart->legend()->setMaximumWidth(kLegendWidth);
    panel->time = new QDateTimeAxis;
    panel->time->setFormat(kTimeFormat);
    panel->time->setTickCount(kTimeTicks);
    panel->values = new QValueAxis;
    panel->chart->addAxis(panel->time, Qt::AlignBottom);
    panel->chart->addAxis(panel->values, Qt::AlignLeft);
    double low = 0, high = 0;
    bool any = false;
    for (std::size_t i = 0; i < m_data.series.size(); ++i) {
        const plots::Series &series = m_data.series[i];
        if (series.panel != kind)
            continue;
        // One prepared list handed over at once: no allocation per point.
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(series.values.size()));
        for (std::size_t j = 0; j < series.values.size(); ++j) {
            points.append(QPointF(double(axisTime(m_data.times[j])), series.values[j]));
            low = any ? std::min(low, series.values[j]) : series.values[j];
            high = any ? std::max(high, series.values[j]) : series.values[j];
            any = true;
        }
        auto *line = new QLineSeries;
        line->setName(QString::fromStdString(series.name));
        line->replace(points);
        line->setPen(seriesPen(kSeriesColors[i % std::size(kSeriesColors)], m_vectorLines));
        panel->chart->addSeries(line);
        line->attachAxis(panel->time);
        line->attachAxis(panel->values);
        m_series[i] = line;
    }
    const double pad = high > low ? (high - low) * kValuePadding : 1;
    panel->values->setRange(low - pad, high + pad);
    addItem(panel->chart);
    m_panels.push_back(panel);
}

void PlotScene::layoutPanels(const QSizeF &size) {
    m_size = size;
    setSceneRect(QRectF(QPointF(0, 0), size));
    int weights = 0;
    for (const Panel *panel : m_panels)
        weights += kPanelWeights[int(panel->kind)];
    qreal top = 0;
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        Panel *panel = m_panels[i];
        const qreal height = size.height() * kPanelWeights[int(panel->kind)] / weights;
        // Only the bottom panel carries the time labels; the others share them.
        panel->time->setLabelsVisible(i + 1 == m_panels.size());
        panel->chart->setPlotArea(QRectF());
        panel->chart->setGeometry(QRectF(0, top, size.width(), height));
        top += height;
    }
    alignPlotAreas();
    placeMarkers();
}

void PlotScene::alignPlotAreas() {
    // Each chart lays itself out; then every plot area gets the narrowest
    // common left and right edges, so one time lines up in every panel.
    qreal left = 0, right = m_size.width();
    for (Panel *panel : m_panels) {
        if (panel->chart->layout())
            panel->chart->layout()->activate();
        left = std::max(left, panel->chart->plotArea().left());
        right = std::min(right, panel->chart->plotArea().right());
    }
    for (Panel *panel : m_panels) {
        const QRectF area = panel->chart->plotArea();
        panel->chart->setPlotArea(QRectF(left, area.top(), std::max<qreal>(right - left, 1), area.height()));
    }
}

QRectF PlotScene::plotsRect() const {
    QRectF rect;
    for (const Panel *panel : m_panels)
        rect |= panel->chart->mapRectToScene(panel->chart->plotArea());
    return rect;
}

void PlotScene::setTimeRange(TimeRange range) {
    if (range.to <= range.from)
        return;
    m_range = range;
    for (Panel *panel : m_panels)
        panel->time->setRange(QDateTime::fromMSecsSinceEpoch(range.from), QDateTime::fromMSecsSinceEpoch(range.to));
    placeMarkers();
    emit timeRangeChanged(range);
}

qreal PlotScene::sceneXOf(qint64 time) const {
    const QRectF rect = plotsRect();
    const double span = double(m_range.to - m_range.from);
    return rect.left() + (span > 0 ? double(time - m_range.from) / span * rect.width() : 0);
}

std::optional<qint64> PlotScene::timeAt(qreal sceneX) const {
    const QRectF rect = plotsRect();
    if (rect.width() <= 0 || sceneX < rect.left() || sceneX > rect.right())
        return std::nullopt;
    return m_range.from + qint64((sceneX - rect.left()) / rect.width() * double(m_range.to - m_range.from));
}

void PlotScene::placeMarkers() {
    if (m_panels.empty())
        return;
    for (std::size_t m = 0; m < m_data.markers.size(); ++m) {
        const qint64 time = axisTime(m_data.markers[m].time);
        const bool shown = time >= m_range.from && time <= m_range.to;
        const qreal x = sceneXOf(time);
        for (Panel *panel : m_panels) {
            const QRectF area = panel->chart->mapRectToScene(panel->chart->plotArea());
            panel->markerLines[m]->setLine(QLineF(x, area.top(), x, area.bottom()));
            panel->markerLines[m]->setVisible(shown);
        }
    }
    // Read upwards from the bottom of the top panel, beside their line.
    const QRectF top = m_panels.front()->chart->mapRectToScene(m_panels.front()->chart->plotArea());
    for (const MarkerLabel &label : m_markerLabels) {
        const QFontMetricsF metrics(label.item->font());
        label.item->setText(metrics.elidedText(label.text, Qt::ElideRight, top.height() - 2 * kLabelGap));
        label.item->setPos(sceneXOf(label.time) + kLabelGap, top.bottom() - kLabelGap);
        label.item->setVisible(label.time >= m_range.from && label.time <= m_range.to);
    }
    if (m_noRecords) {
        const QRectF rect = plotsRect();
        const QRectF text = m_noRecords->boundingRect();
        m_noRecords->setPos(rect.center() - text.center());
    }
}

void PlotScene::setSeriesVisible(int index, bool visible) {
    if (index >= 0 && index < int(m_series.size()) && m_series[index])
        m_series[index]->setVisible(visible);
}

bool PlotScene::seriesVisible(int index) const {
    return index >= 0 && index < int(m_series.size()) && m_series[index] && m_series[index]->isVisible();
}

QString PlotScene::readOut(qint64 time) const {
    if (m_data.times.empty())
        return {};
    // The record nearest to the time, by its stamp.
    std::size_t nearest = 0;
    for (std::size_t j = 1; j < m_data.times.size(); ++j)
        if (std::llabs(axisTime(m_data.times[j]) - time) < std::llabs(axisTime(m_data.times[nearest]) - time))
            nearest = j;
    QString text = QString::fromStdString(trelm::FormatDateTimeShort(m_data.times[nearest]));
    for (std::size_t i = 0; i < m_data.series.size(); ++i) {
        if (!seriesVisible(int(i)))
            continue;
        const plots::Series &series = m_data.series[i];
        text += QString("   %1 %2 %3")
                    .arg(QString::fromStdString(series.name))
                    .arg(series.values[nearest])
                    .arg(QString::fromStdString(series.unit));
    }
    return text;
}

} // namespace trelm::shell
