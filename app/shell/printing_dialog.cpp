#include "shell/printing_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "shell/center_form.h"
#include "shell/grid_view.h"
#include "shell/window_font.h"

namespace trelm::shell {

PrintingDialog::PrintingDialog(QWidget *parent) : QDialog(parent) {
    setObjectName("frmPrinting");
    setFont(windowFont());
    setWindowTitle(QString());
    setModal(false);
    setFixedSize(pixels(4200), pixels(1500));
    m_label = new QLabel("Printing Report...", this);
    m_label->setObjectName("lblPrinting");
    m_label->setGeometry(pixels(240), pixels(240), pixels(3720), pixels(375));
    m_cancel = new QPushButton("&Cancel", this);
    m_cancel->setObjectName("Command1");
    m_cancel->setGeometry(pixels(1440), pixels(840), pixels(1335), pixels(375));
    connect(m_cancel, &QPushButton::clicked, this, &PrintingDialog::cancelRequested);
    CenterForm(this);
}

void PrintingDialog::setReportName(const QString &name) { m_label->setText(name); }

QString PrintingDialog::labelText() const { return m_label->text(); }

} // namespace trelm::shell
