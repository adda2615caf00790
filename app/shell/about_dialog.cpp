#include "shell/about_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "shell/center_form.h"
#include "shell/grid_view.h"
#include "shell/message_box.h"
#include "shell/window_font.h"

namespace trelm::shell {

namespace {

QLabel *addLabel(QWidget *parent, const char *name, const QString &text, int left, int top, int width, int height) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
    return label;
}

} // namespace

QString versionText() {
    return QStringLiteral("Version %1.%2.%3")
        .arg(TRELMLINK_VERSION_MAJOR)
        .arg(TRELMLINK_VERSION_MINOR)
        .arg(TRELMLINK_VERSION_PATCH);
}

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setFont(windowFont());
    setModal(true);
    setFixedSize(pixels(5730), pixels(3750));
    setWindowTitle("About " + kAppTitle);
    QFont titleFont = font();
    titleFont.setPointSize(titleFont.pointSize() + 4);
    titleFont.setBold(true);
    addLabel(this, "lblTitle", kAppTitle, 1050, 240, 3885, 480)->setFont(titleFont);
    addLabel(this, "lblVersion", versionText(), 1050, 780, 3885, 225);
    addLabel(this, "lblDescription", "Data retrieval software for TRELM air-quality monitors.", 1050, 1125, 3885,
             330);
    addLabel(this, "lblTrademark", "TRELM is a trademark of its owner.", 255, 1680, 5310, 255);
    addLabel(this, "lblDisclaimer",
             "This program is provided as is, without warranty of any kind. Check the data it shows against "
             "the sampler's own records before relying on it.",
             255, 2040, 3870, 825);
    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    ok->setGeometry(pixels(4245), pixels(2625), pixels(1260), pixels(345));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *sysInfo = new QPushButton("&System Info...", this);
    sysInfo->setObjectName("cmdSysInfo");
    sysInfo->setGeometry(pixels(4260), pixels(3075), pixels(1245), pixels(345));
    connect(sysInfo, &QPushButton::clicked, this, &AboutDialog::StartSysInfo);
    CenterForm(this);
}

// No system-information program exists on this platform: the button always
// reports that it is unavailable, and the About box stays open.
void AboutDialog::StartSysInfo() {
    showMessageBox(this, BoxIcon::None, kAppTitle, "System Information Is Unavailable At This Time");
}

} // namespace trelm::shell
