#include "shell/port_map_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <cstdlib>

#include "korlink_binder/com_device.h"
#include "shell/serial_devices.h"
#include "shell/window_settings.h"

namespace trelm::shell {

namespace {

void mapPort(int port, const QString &device) {
    const std::string variable = korlink::common::comVariable(port);
    if (device.isEmpty())
        ::unsetenv(variable.c_str());
    else
        ::setenv(variable.c_str(), device.toLocal8Bit().constData(), 1);
}

} // namespace

PortMapDialog::PortMapDialog(QWidget *parent) : QDialog(parent) {
    setObjectName("frmPorts");
    setWindowTitle("Ports");
    auto *form = new QFormLayout(this);
    const std::vector<SerialDevice> present = serialDevicesPresent();
    for (int port = 1; port <= kComPorts; ++port) {
        auto *devices = new QComboBox(this);
        devices->setObjectName(QString("portDevice%1").arg(port));
        devices->setEditable(true);
        // Empty text: the library's own device for this COM number.
        devices->addItem("");
        devices->setItemData(0, QString::fromStdString("/dev/ttyS" + std::to_string(port - 1)), Qt::ToolTipRole);
        for (const SerialDevice &device : present)
            devices->addItem(QString::fromStdString(device.byId.empty() ? device.path : device.byId));
        devices->setCurrentText(korlink::common::comVariableSet(port)
                                    ? QString::fromStdString(korlink::common::comDevicePath(port))
                                    : QString());
        form->addRow(QString("COM %1").arg(port), devices);
        m_devices[static_cast<std::size_t>(port - 1)] = devices;
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PortMapDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PortMapDialog::reject);
    form->addRow(buttons);
}

void PortMapDialog::accept() {
    for (int port = 1; port <= kComPorts; ++port) {
        const QString device = m_devices[static_cast<std::size_t>(port - 1)]->currentText().trimmed();
        setPortDevice(port, device);
        mapPort(port, device);
    }
    QDialog::accept();
}

void applyPortDevices() {
    for (int port = 1; port <= kComPorts; ++port)
        if (const QString device = portDevice(port); !device.isEmpty())
            mapPort(port, device);
}

} // namespace trelm::shell
