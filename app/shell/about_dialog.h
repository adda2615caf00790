// The About box: title, version, what the program is for, and the system
// information button (there is no such program on this platform).
#pragma once

#include <QDialog>

namespace trelm::shell {

// "Version major.minor.revision" of this build.
QString versionText();

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);

private:
    void StartSysInfo();
};

} // namespace trelm::shell
