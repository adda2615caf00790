#include "shell/command_keys.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>

namespace trelm::shell {

namespace {

struct CommandKey {
    const char *button;
    const char *keys;
};

constexpr CommandKey kCommandKeys[] = {
    {"Command4", "Ctrl+O"}, {"cmdNewFile", "Ctrl+E"}, {"CmdPrint", "Ctrl+P"},
    {"cmdRetrieve", "Ctrl+R"}, {"cmdExit", "Ctrl+Q"},
};

// Enter and Return press the focused button, which outside a dialog
// answers only Space.
class EnterPresses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!button || (key != Qt::Key_Return && key != Qt::Key_Enter) || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};

} // namespace

void attachCommandKeys(QWidget &window) {
    auto *enter = new EnterPresses(&window);
    for (QPushButton *button : window.findChildren<QPushButton *>())
        button->installEventFilter(enter);
    for (const CommandKey &command : kCommandKeys) {
        QPushButton *button = window.findChild<QPushButton *>(command.button);
        if (!button)
            continue;
        const QKeySequence keys(command.keys);
        // A disabled command's key does nothing, as its button would.
        auto *shortcut = new QShortcut(keys, &window);
        QObject::connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
        QString caption = button->text();
        caption.remove('&');
        QString tip = caption + " (" + keys.toString(QKeySequence::NativeText) + ")";
        if (button->contextMenuPolicy() == Qt::CustomContextMenu)
            tip += "; right-click: the files opened last";
        button->setToolTip(tip);
    }
}

} // namespace trelm::shell
