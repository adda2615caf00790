// "Ports...": which device each of COM 1 to 10 stands for, chosen among the
// serial devices present (their /dev/serial/by-id names where they have
// one, which stay the same whatever order adapters are plugged in) or typed.
// The choice is kept in window.conf and applied through the serial
// library's COM mapping ($KORLINK_COM<n>).
#pragma once

#include <QDialog>
#include <array>

class QComboBox;

namespace trelm::shell {

inline constexpr int kComPorts = 10;

class PortMapDialog : public QDialog {
    Q_OBJECT
public:
    explicit PortMapDialog(QWidget *parent = nullptr);

    // Keeps and applies the choices (on OK).
    void accept() override;

private:
    std::array<QComboBox *, kComPorts> m_devices{};
};

// Puts each kept mapping into the library's COM mapping; the start-up runs
// it before any port is named or opened.
void applyPortDevices();

} // namespace trelm::shell
