#include "shell/plot_view.h"

#include <QGraphicsLineItem>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <optional>

namespace trelm::shell {

namespace {

constexpr double kZoomStep = 0.8;          // per wheel notch
constexpr int kWheelNotch = 120;           // angle delta of one notch
constexpr qint64 kSmallestSpanMs = 10'000; // zoom stops at ten seconds
constexpr int kListWidth = 150;

} // namespace

// The scene's view: keeps the panels the size of the viewport and turns
// wheel, drag and hover into zoom, pan and crosshair.
class PlotCanvas : public QGraphicsView {
public:
    PlotCanvas(PlotScene *scene, PlotView &view) : QGraphicsView(scene), m_view(view) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setMouseTracking(true);
        setRenderHint(QPainter::Antialiasing);
        setFrameShape(QFrame::NoFrame);
    }

    void fitScene() {
        static_cast<PlotScene *>(scene())->layoutPanels(viewport()->size());
        setSceneRect(QRectF(QPointF(0, 0), viewport()->size()));
    }

protected:
    void resizeEvent(QResizeEvent *event) override {
        QGraphicsView::resizeEvent(event);
        fitScene();
    }
    void wheelEvent(QWheelEvent *event) override {
        const auto time = static_cast<PlotScene *>(scene())->timeAt(mapToScene(event->position().toPoint()).x());
        if (!time)
            return;
        const double notches = event->angleDelta().y() / double(kWheelNotch);
        m_view.zoomBy(std::pow(kZoomStep, notches), *time);
        event->accept();
    }
    void mousePressEvent(QMouseEvent *event) override {
        if (event->button() == Qt::LeftButton)
            m_dragX = event->position().x();
        QGraphicsView::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent *event) override {
        const qreal x = event->position().x();
        if (m_dragX && (event->buttons() & Qt::LeftButton)) {
            auto &plot = *static_cast<PlotScene *>(scene());
            const TimeRange range = plot.timeRange();
            const double width = plot.plotsRect().width();
            if (width > 0)
                m_view.panBy(qint64(-(x - *m_dragX) / width * double(range.to - range.from)));
            m_dragX = x;
        }
        m_view.showCrosshair(mapToScene(event->position().toPoint()).x());
        QGraphicsView::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent *event) override {
        m_dragX.reset();
        QGraphicsView::mouseReleaseEvent(event);
    }

private:
    PlotView &m_view;
    std::optional<qreal> m_dragX;
};

PlotView::PlotView(QWidget *parent) : QWidget(parent) {
    setObjectName("plotView");
    m_scene = new PlotScene(this);
    m_canvas = new PlotCanvas(m_scene, *this);
    m_canvas->setObjectName("plotCanvas");
    m_list = new QListWidget;
    m_list->setObjectName("plotSeries");
    m_list->setFixedWidth(kListWidth);
    auto *reset = new QPushButton("Reset View");
    reset->setObjectName("plotReset");
    m_readOut = new QLabel;
    m_readOut->setObjectName("plotReadOut");
    m_readOut->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *side = new QVBoxLayout;
    side->addWidget(m_list, 1);
    side->addWidget(reset);
    auto *plots = new QVBoxLayout;
    plots->addWidget(m_canvas, 1);
    plots->addWidget(m_readOut);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(side);
    layout->addLayout(plots, 1);

    connect(reset, &QPushButton::clicked, this, &PlotView::resetView);
    connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        m_scene->setSeriesVisible(m_list->row(item), item->checkState() == Qt::Checked);
    });
}

QGraphicsView *PlotView::canvas() const { return m_canvas; }

QString PlotView::readOut() const { return m_readOut->text(); }

void PlotView::setPlot(const plots::PlotData &data) {
    m_scene->setPlot(data);
    m_canvas->fitScene();
    m_crosshair = m_scene->addLine(QLineF(), QPen(Qt::black, 0, Qt::DotLine));
    m_crosshair->setZValue(3);
    m_crosshair->hide();
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const plots::Series &series : data.series) {
        auto *item = new QListWidgetItem(QString::fromStdString(series.name), m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    m_readOut->clear();
}

void PlotView::clearPlot() {
    m_scene->clearPlot();
    m_crosshair = nullptr;
    m_list->clear();
    m_readOut->clear();
}

void PlotView::zoomBy(double factor, qint64 around) {
    const TimeRange range = m_scene->timeRange();
    qint64 from = around - qint64(double(around - range.from) * factor);
    qint64 to = around + qint64(double(range.to - around) * factor);
    if (to - from < kSmallestSpanMs)
        return;
    m_scene->setTimeRange({from, to});
}

void PlotView::panBy(qint64 milliseconds) {
    const TimeRange range = m_scene->timeRange();
    m_scene->setTimeRange({range.from + milliseconds, range.to + milliseconds});
}

void PlotView::resetView() { m_scene->resetTimeRange(); }

void PlotView::showCrosshair(qreal sceneX) {
    const auto time = m_scene->timeAt(sceneX);
    if (!m_crosshair || !time) {
        if (m_crosshair)
            m_crosshair->hide();
        return;
    }
    const QRectF rect = m_scene->plotsRect();
    m_crosshair->setLine(QLineF(sceneX, rect.top(), sceneX, rect.bottom()));
    m_crosshair->show();
    m_readOut->setText(m_scene->readOut(*time));
}

} // namespace trelm::shell
