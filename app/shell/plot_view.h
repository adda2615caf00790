// The window's "Plots" tab: the event's plots (PlotScene) with a check list
// that shows and hides each series, the mouse wheel zooming the time axis
// around the cursor, a drag panning it, a crosshair whose read-out gives the
// time and every shown value under the cursor, and "Reset View".
#pragma once

#include <QWidget>

#include "plots/plot_data.h"
#include "shell/plot_scene.h"

class QGraphicsLineItem;
class QLabel;
class QListWidget;
class QPushButton;

namespace trelm::shell {

class PlotCanvas;

class PlotView : public QWidget {
    Q_OBJECT
public:
    explicit PlotView(QWidget *parent = nullptr);

    void setPlot(const plots::PlotData &data);
    void clearPlot();

    PlotScene &scene() { return *m_scene; }
    QListWidget *seriesList() const { return m_list; }
    QGraphicsView *canvas() const;
    QString readOut() const;

    // Zooms the time axis by `factor` (below 1 zooms in) keeping `around`
    // where it is; pans by `milliseconds`; back to the whole event.
    void zoomBy(double factor, qint64 around);
    void panBy(qint64 milliseconds);
    void resetView();
    // Moves the crosshair to scene x and updates the read-out.
    void showCrosshair(qreal sceneX);

private:
    PlotScene *m_scene = nullptr;
    PlotCanvas *m_canvas = nullptr;
    QListWidget *m_list = nullptr;
    QLabel *m_readOut = nullptr;
    QGraphicsLineItem *m_crosshair = nullptr;
};

} // namespace trelm::shell
