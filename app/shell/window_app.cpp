#include "shell/window_app.h"

#include <QApplication>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "shell/korlink_hooks.h"
#include "shell/main_window.h"
#include "shell/print_command.h"
#include "shell/window_retrieval.h"

namespace trelm::shell {

namespace {

bool isSet(const char *name) {
    const char *value = std::getenv(name);
    return value && *value;
}

} // namespace

bool displayAvailable() { return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"); }

std::unique_ptr<MainWindow> openMainWindow(const std::optional<std::string> &eventFile) {
    // The start-up enters the data folder: a file named relative to the
    // folder the program was started in is resolved before that.
    std::optional<QString> file;
    if (eventFile) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(*eventFile, error);
        file = QString::fromStdString(error ? *eventFile : absolute.lexically_normal().string());
    }
    installKorlinkHooks();
    auto window = std::make_unique<MainWindow>();
    new PrintCommand(*window); // the window's child, answering "&Print Report"
    new WindowRetrieval(*window); // owned by the window
    window->show();
    window->startUp();
    if (file)
        window->openBinFile(*file);
    return window;
}

int runWindow(int argc, char **argv, const std::optional<std::string> &eventFile) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Trelmlink");
    // Qt takes the whole locale from the environment; numbers written by the
    // program always use ".", so only LC_TIME (set by main) stays.
    std::setlocale(LC_NUMERIC, "C");
    const auto window = openMainWindow(eventFile);
    return app.exec();
}

} // namespace trelm::shell
