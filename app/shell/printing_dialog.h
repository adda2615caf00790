// The print progress window: which report is printing, and a button that
// cancels the print job. The print command shows, relabels and closes it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace trelm::shell {

class PrintingDialog : public QDialog {
    Q_OBJECT
public:
    explicit PrintingDialog(QWidget *parent = nullptr);

    // Replaces "Printing Report..." with the report now printing.
    void setReportName(const QString &name);
    QString labelText() const;

signals:
    // "&Cancel" was pressed: the print command aborts its document.
    void cancelRequested();

private:
    QLabel *m_label;
    QPushButton *m_cancel;
};

} // namespace trelm::shell
