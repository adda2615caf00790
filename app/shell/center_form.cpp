#include "shell/center_form.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace trelm::shell {

void CenterForm(QWidget *window) {
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    const double left = area.left() + (area.width() - size.width()) / 2.0;
    const double top = area.top() + (area.height() - size.height()) / 2.0;
    window->move(static_cast<int>(left), static_cast<int>(top));
}

} // namespace trelm::shell
