#include "shell/window_settings.h"

#include <QSettings>
#include <QWidget>

#include "settings/ini_file.h"

namespace trelm::shell {

namespace {

constexpr const char *kGeometryKey = "window/geometry";
constexpr const char *kRecentKey = "files/recent";

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

QStringList recentFiles() { return windowSettings().value(kRecentKey).toStringList().mid(0, kRecentFileCount); }

void rememberRecentFile(const QString &path) {
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    QSettings settings = windowSettings();
    settings.setValue(kRecentKey, files.mid(0, kRecentFileCount));
}

QString portDevice(int port) { return windowSettings().value(QString("ports/com%1").arg(port)).toString(); }

void setPortDevice(int port, const QString &device) {
    QSettings settings = windowSettings();
    if (device.isEmpty())
        settings.remove(QString("ports/com%1").arg(port));
    else
        settings.setValue(QString("ports/com%1").arg(port), device);
}

} // namespace trelm::shell
