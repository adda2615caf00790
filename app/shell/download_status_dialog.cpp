#include "shell/download_status_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include "shell/center_form.h"
#include "shell/grid_view.h"
#include "shell/window_font.h"

namespace trelm::shell {

namespace {

template <typename Control>
Control *placed(Control *control, const char *name, int left, int top, int width, int height) {
    control->setObjectName(name);
    control->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
    return control;
}

} // namespace

DownloadStatusDialog::DownloadStatusDialog(QWidget *parent) : QDialog(parent) {
    setObjectName("frmDownLoadStat");
    setWindowTitle("Download Status:");
    setFont(windowFont());
    setFixedSize(pixels(6360), pixels(5400));
    setWindowModality(Qt::ApplicationModal);
    m_lblDownloadStat = placed(new QLabel(this), "lblDownloadStat", 240, 240, 5880, 375);
    m_lblDownloadStat->setAlignment(Qt::AlignCenter);
    m_lblMsg = placed(new QLabel("Press <ESC> to CANCEL Download!", this), "lblMsg", 240, 720, 5880, 255);
    m_lblMsg->setAlignment(Qt::AlignCenter);
    m_label1 = placed(new QLabel("Bytes Transferred:", this), "Label1", 240, 1200, 1815, 255);
    m_txtBytesTransferred = placed(new QLineEdit(this), "txtBytesTransferred", 2160, 1170, 1695, 315);
    m_txtBytesTransferred->setReadOnly(true);
    // Beside the counter, in the room right of it: the bar and, under it, the time left.
    m_prgTransfer = placed(new QProgressBar(this), "prgTransfer", 3960, 1170, 2160, 315);
    m_prgTransfer->setRange(0, 100);
    m_prgTransfer->setFormat("%p%");
    m_lblTimeLeft = placed(new QLabel(this), "lblTimeLeft", 3960, 1500, 2160, 255);
    m_lblTimeLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_label2 = placed(new QLabel("Message Log:", this), "Label2", 240, 1680, 1815, 255);
    m_txtMessages = placed(new QPlainTextEdit(this), "txtMessages", 240, 1920, 5880, 2640);
    m_txtMessages->setReadOnly(true);
    m_txtMessages->setMaximumBlockCount(5000); // a whole image's reports, and no more
    m_cmdOK = placed(new QPushButton("&OK", this), "cmdOK", 240, 4800, 1695, 375);
    m_cmdRetry = placed(new QPushButton("&Retry", this), "cmdRetry", 2280, 4800, 1695, 375);
    m_cmdHangUp = placed(new QPushButton("Hang Up Modem", this), "cmdHangUp", 4320, 4800, 1815, 375);
    connect(m_cmdOK, &QPushButton::clicked, this, &DownloadStatusDialog::unload);
    connect(m_cmdHangUp, &QPushButton::clicked, this, &DownloadStatusDialog::unload);
    m_cmdHangUp->setEnabled(false); // until a retrieval's line is a modem call
    connect(m_cmdRetry, &QPushButton::clicked, this, &DownloadStatusDialog::retryClicked);
    load();
}

void DownloadStatusDialog::load() {
    m_lblDownloadStat->clear();
    m_txtMessages->clear();
    m_txtBytesTransferred->clear();
    m_prgTransfer->setValue(0);
    m_lblTimeLeft->clear();
    m_lblMsg->hide();
    // The log is there for a look behind the progress line: a double-click
    // shows it.
    m_label2->hide();
    m_txtMessages->hide();
    CenterForm(this);
}

void DownloadStatusDialog::setStatus(const QString &text) {
    m_lblDownloadStat->setText(text);
    m_lblDownloadStat->repaint();
}

void DownloadStatusDialog::setCancelHintVisible(bool visible) { m_lblMsg->setVisible(visible); }

void DownloadStatusDialog::setHangUpEnabled(bool enabled) { m_cmdHangUp->setEnabled(enabled); }

void DownloadStatusDialog::setButtons(bool okEnabled, bool retryEnabled) {
    m_cmdOK->setEnabled(okEnabled);
    m_cmdRetry->setEnabled(retryEnabled);
}

void DownloadStatusDialog::appendLog(const QString &line) { m_txtMessages->appendPlainText(line); }

void DownloadStatusDialog::setBytes(qint64 bytes) { m_txtBytesTransferred->setText(QString::number(bytes)); }

void DownloadStatusDialog::setProgress(int percent, const QString &timeLeft) {
    m_prgTransfer->setValue(percent);
    m_lblTimeLeft->setText(timeLeft);
}

QString DownloadStatusDialog::status() const { return m_lblDownloadStat->text(); }
QString DownloadStatusDialog::messageLog() const { return m_txtMessages->toPlainText(); }
QString DownloadStatusDialog::bytesText() const { return m_txtBytesTransferred->text(); }
int DownloadStatusDialog::progressPercent() const { return m_prgTransfer->value(); }
QString DownloadStatusDialog::progressText() const { return m_prgTransfer->text(); }
QString DownloadStatusDialog::timeLeftText() const { return m_lblTimeLeft->text(); }
bool DownloadStatusDialog::cancelHintVisible() const { return !m_lblMsg->isHidden(); }
bool DownloadStatusDialog::logVisible() const { return !m_txtMessages->isHidden(); }

void DownloadStatusDialog::unload() {
    hide();
    emit unloaded();
}

void DownloadStatusDialog::closeEvent(QCloseEvent *event) {
    event->accept();
    emit unloaded();
}

void DownloadStatusDialog::mouseDoubleClickEvent(QMouseEvent *event) {
    m_label2->show();
    m_txtMessages->show();
    QDialog::mouseDoubleClickEvent(event);
}

ModemStatusDialog::ModemStatusDialog(QWidget *parent) : QDialog(parent) {
    setObjectName("frmDownLoadModem");
    setWindowTitle("Modem Status:");
    setFont(windowFont());
    setFixedSize(pixels(4800), pixels(1680));
    m_txtMsg = placed(new QLineEdit(this), "txtMsg", 240, 240, 4320, 315);
    m_txtMsg->setReadOnly(true);
    m_cmdHangUp = placed(new QPushButton("Disconnect Modem", this), "CmdHangUp", 1440, 840, 1935, 495);
    connect(m_cmdHangUp, &QPushButton::clicked, this, &ModemStatusDialog::hangUpClicked);
}

void ModemStatusDialog::showText(const QString &text) {
    m_txtMsg->setText(text);
    if (!m_centred) {
        CenterForm(this);
        m_centred = true;
    }
    show();
    repaint();
    activateWindow();
}

void ModemStatusDialog::closeEvent(QCloseEvent *event) {
    event->accept();
    emit hangUpClicked();
}

QString ModemStatusDialog::text() const { return m_txtMsg->text(); }

} // namespace trelm::shell
