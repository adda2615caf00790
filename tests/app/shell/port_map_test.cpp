// COM 1 to 10 mapped onto the serial devices present: which devices are
// offered, and a mapping chosen in "Ports..." that the serial library's COM
// mapping, the options' tooltips and the next start all follow.
#include <QComboBox>
#include <QRadioButton>

#include "shell/port_map_dialog.h"
#include "shell/serial_devices.h"
#include "shell/window_settings.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using trelm::shell::PortMapDialog;
using trelm::shell::SerialDevice;

TEST(SerialDevices, TheSerialFamiliesInNumberOrderWithTheirStableNames) {
    testfiles::TempDir dev("dev");
    for (const char *name : {"ttyS0", "ttyS10", "ttyS2", "ttyUSB0", "ttyACM1", "tty1", "ttyUSBx", "null"})
        testfiles::writeFile(dev.path() / name, {});
    fs::create_directories(dev.path() / "serial" / "by-id");
    const fs::path id = dev.path() / "serial" / "by-id" / "usb-FTDI_A1-if00-port0";
    fs::create_symlink("../../ttyUSB0", id);
    std::vector<std::string> found;
    for (const SerialDevice &device : trelm::shell::serialDevicesPresent(dev.path()))
        found.push_back(fs::path(device.path).filename().string() + (device.byId.empty() ? "" : " " + device.byId));
    EXPECT_EQ(found, (std::vector<std::string>{"ttyACM1", "ttyS0", "ttyS2", "ttyS10", "ttyUSB0 " + id.string()}));
}

TEST_F(WindowTest, APortMappedInPortsIsUsedNamedAndKeptAcrossStarts) {
    unsetenv("KORLINK_COM3");
    writeIni("[PORT]\nCOMM= 3\n");
    start();
    const std::string adapter = (m_dir.path() / "ttyUSB7").string();
    {
        PortMapDialog dialog(m_window.get());
        auto *com3 = dialog.findChild<QComboBox *>("portDevice3");
        ASSERT_NE(com3, nullptr);
        EXPECT_EQ(com3->currentText(), ""); // the library's own choice
        com3->setCurrentText(QString::fromStdString(adapter));
        dialog.accept();
    }
    ASSERT_NE(std::getenv("KORLINK_COM3"), nullptr);
    EXPECT_EQ(std::string(std::getenv("KORLINK_COM3")), adapter);
    EXPECT_EQ(trelm::shell::portDevice(3).toStdString(), adapter);
    EXPECT_EQ(iniText(), "[PORT]\nCOMM= 3\n"); // not the settings file's business
    m_window->close();
    m_window.reset();

    unsetenv("KORLINK_COM3");
    start();
    EXPECT_EQ(std::string(std::getenv("KORLINK_COM3")), adapter);
    EXPECT_EQ(find<QRadioButton>("optCom3")->toolTip().toStdString(),
              "COM 3: " + adapter + " (KORLINK_COM3), not present");
    {
        PortMapDialog dialog(m_window.get());
        auto *com3 = dialog.findChild<QComboBox *>("portDevice3");
        EXPECT_EQ(com3->currentText().toStdString(), adapter);
        com3->setCurrentText("");
        dialog.accept();
    }
    EXPECT_EQ(std::getenv("KORLINK_COM3"), nullptr);
    EXPECT_TRUE(trelm::shell::portDevice(3).isEmpty());
}
