#include "shell/window_settings.h"

#include <QSettings>
#include <QWidget>

#include "settings/ini_file.h"

namespace trelm::shell {

namespace {

constexpr const char *kGeometryKey = "window/geometry";

QSettings windowSettings() {
    return QSettings(QString::fromStdString(windowSettingsPath().string()), QSettings::IniFormat);
}

} // namespace

std::filesystem::path windowSettingsPath() { return IniFilePath().parent_path() / "window.conf"; }

bool restoreWindowGeometry(QWidget &window) {
    const QByteArray geometry = windowSettings().value(kGeometryKey).toByteArray();
    return !geometry.isEmpty() && window.restoreGeometry(geometry);
}

bool saveWindowGeometry(const QWidget &window) {
    QSettings settings = windowSettings();
    settings.setValue(kGeometryKey, window.saveGeometry());
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace trelm::shell
