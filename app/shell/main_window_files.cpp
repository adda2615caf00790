// The other ways to the Open command: an event file dropped on the window,
// and the files opened last on the Open button's menu; and the devices the
// port options stand for.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QUrl>

#include "korlink_binder/com_device.h"
#include "shell/main_window.h"
#include "shell/port_map_dialog.h"
#include "shell/window_settings.h"

namespace trelm::shell {

namespace {

// The one local file a drag carries, or empty text.
QString droppedFile(const QMimeData *data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().front().isLocalFile())
        return {};
    return data->urls().front().toLocalFile();
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent *event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event) {
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // As Open File (BIN): the name becomes the dialog's remembered choice.
    m_lastBinChoice = file;
    openBinFile(file);
}

QMenu *MainWindow::recentFilesMenu() {
    auto *menu = new QMenu(this);
    menu->setObjectName("recentFiles");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QStringList files = recentFiles();
    if (files.isEmpty())
        menu->addAction("(no files opened yet)")->setEnabled(false);
    for (const QString &file : files) {
        QAction *action = menu->addAction(QFileInfo(file).fileName());
        action->setToolTip(file);
        action->setData(file);
        connect(action, &QAction::triggered, this, [this, file] {
            m_lastBinChoice = file;
            openBinFile(file);
        });
    }
    return menu;
}

void MainWindow::showPortMap() {
    PortMapDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        refreshPortTooltips();
}

void MainWindow::refreshPortTooltips() {
    for (int port = 1; port <= static_cast<int>(m_optCom.size()); ++port)
        m_optCom[static_cast<std::size_t>(port - 1)]->setToolTip(QString::fromStdString(comDeviceDescription(port)));
}

} // namespace trelm::shell
