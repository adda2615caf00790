#include "shell/message_box.h"

#include <QMessageBox>

namespace trelm::shell {

namespace {

MessageBoxFunction &installed() {
    static MessageBoxFunction function;
    return function;
}

QMessageBox::Icon qtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Exclamation:
        return QMessageBox::Warning;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void showMessageBox(QWidget *parent, BoxIcon icon, const QString &title, const QString &text) {
    if (installed()) {
        installed()(parent, icon, title, text);
        return;
    }
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::Ok, parent);
    box.exec();
}

void setMessageBoxFunction(MessageBoxFunction function) { installed() = std::move(function); }

} // namespace trelm::shell
