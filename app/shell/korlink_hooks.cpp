#include "shell/korlink_hooks.h"

#include <QApplication>
#include <QKeyEvent>

#include "korlink_binder/korlink_binder.h"
#include "shell/message_box.h"

namespace trelm::shell {

namespace {

// Takes the Escape key while the pump runs: the library polls for it
// between waits, so it must not also reach a widget.
class EscapeWatch : public QObject {
public:
    bool pumping = false;
    bool escapePressed = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (pumping && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            escapePressed = true;
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

EscapeWatch &escapeWatch() {
    static EscapeWatch *watch = [] {
        auto *created = new EscapeWatch;
        if (qApp) {
            created->setParent(qApp);
            qApp->installEventFilter(created);
        }
        return created;
    }();
    return *watch;
}

std::function<void()> &escapeListener() {
    static std::function<void()> listener;
    return listener;
}

} // namespace

void setEscapeListener(std::function<void()> listener) { escapeListener() = std::move(listener); }

int pumpMessages() {
    if (!qApp)
        return 0;
    EscapeWatch &watch = escapeWatch();
    watch.escapePressed = false;
    watch.pumping = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::X11ExcludeTimers);
    watch.pumping = false;
    if (!watch.escapePressed)
        return 0;
    if (const std::function<void()> listener = escapeListener())
        listener(); // a copy: the listener may replace itself
    return kEscapeKeyCode;
}

void reportBox(const char *title, const char *text) {
    showMessageBox(QApplication::activeWindow(), BoxIcon::Exclamation, QString::fromLocal8Bit(title ? title : ""),
                   QString::fromLocal8Bit(text ? text : ""));
}

void installKorlinkHooks() {
    korlink::setMissingReport([](const std::string &message) {
        showMessageBox(QApplication::activeWindow(), BoxIcon::Exclamation, kAppTitle,
                       QString::fromStdString(message));
    });
    korlink::setLoadedHook([] {
        korlink::COMMPumpHookSet(&pumpMessages);
        korlink::COMMReportHookSet(&reportBox);
    });
}

} // namespace trelm::shell
