#include "shell/offscreen_app.h"

#include <cstdio>
#include <cstdlib>

namespace trelm::shell {

std::unique_ptr<QApplication> applicationForJob() {
    if (QCoreApplication::instance())
        return nullptr;
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Its start-up notices (a missing runtime folder and the like) are no
    // concern of a command that reports its own failures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "trelmlink: %s\n", qPrintable(message));
    });
    static int argc = 1;
    static char name[] = "trelmlink";
    static char *argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace trelm::shell
