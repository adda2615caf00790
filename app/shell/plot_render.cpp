#include "shell/plot_render.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "shell/offscreen_app.h"
#include "shell/plot_scene.h"

namespace trelm::shell {

namespace {

constexpr int kPdfResolution = 72; // one device pixel per point
// Qt's PNG quality 85 is zlib's fastest level: a few per cent larger, several
// times faster than the default.
constexpr int kPngQuality = 85;

// The scene laid out at `layout` (its own pixels, where fonts have their
// screen size) and scaled into `target`.
void paintScene(QPainter &painter, const QRectF &target, const QSizeF &layout, const plots::PlotData &data) {
    PlotScene scene;
    scene.setPlot(data, painter.device()->devType() != QInternal::Image);
    scene.layoutPanels(layout);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, target, QRectF(QPointF(0, 0), layout));
}

} // namespace

void paintPlot(QPainter &painter, const QRectF &target, const plots::PlotData &data) {
    // A printer counts hundreds of pixels per inch: the picture is laid out
    // at screen density (96 per inch) and scaled up, so its text stays legible.
    constexpr double kScreenDpi = 96;
    const double scale = painter.device() ? painter.device()->logicalDpiX() / kScreenDpi : 1;
    const QSizeF layout = scale > 1 ? target.size() / scale : target.size();
    paintScene(painter, target, layout, data);
}

QByteArray renderPlot(const plots::PlotData &data, plots::PlotFormat format, QSize size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QRectF whole(QPointF(0, 0), QSizeF(size));
    switch (format) {
    case plots::PlotFormat::Png: {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            paintScene(painter, whole, whole.size(), data);
        }
        image.save(&buffer, "PNG", kPngQuality);
        break;
    }
    case plots::PlotFormat::Svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QString::fromStdString(data.title));
        QPainter painter(&svg);
        paintScene(painter, whole, whole.size(), data);
        break;
    }
    case plots::PlotFormat::Pdf: {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(kPdfResolution);
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QString::fromStdString(data.title));
        pdf.setCreator("Trelmlink");
        QPainter painter(&pdf);
        paintScene(painter, whole, whole.size(), data);
        break;
    }
    }
    return bytes;
}

Result<std::string> renderPlotBytes(const plots::PlotData &data, plots::PlotFormat format, int width, int height) {
    const auto application = applicationForJob();
    const QByteArray bytes = renderPlot(data, format, QSize(width, height));
    if (bytes.isEmpty())
        return Error{data.title, "the picture could not be drawn"};
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace trelm::shell
