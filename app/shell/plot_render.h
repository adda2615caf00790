// The plots of an event as a picture: PNG, SVG or PDF bytes for the `plot`
// command, and the same picture painted into a rectangle (the printed plots
// page). Everything goes through PlotScene, as the window's tab does.
#pragma once

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <string>

#include "datafile/result.h"
#include "plots/plot_data.h"
#include "plots/plot_format.h"

class QPainter;

namespace trelm::shell {

// The picture in `format` at `size` (pixels; PDF points). Needs a Qt
// application.
QByteArray renderPlot(const plots::PlotData &data, plots::PlotFormat format, QSize size);

// The picture painted into `target` of an active painter.
void paintPlot(QPainter &painter, const QRectF &target, const plots::PlotData &data);

// renderPlot for the command line: makes an offscreen Qt application for
// the call when none exists.
Result<std::string> renderPlotBytes(const plots::PlotData &data, plots::PlotFormat format, int width, int height);

} // namespace trelm::shell
