// frmDownLoadStat, "Download Status:": the retrieval's progress line, the
// cancel hint, "&OK", "&Retry" and "Hang Up Modem", the byte counter with a
// bar (percentage) and the time left beside it, and the message log (shown
// on a double-click). Closing it in any way but a hide
// of the retrieval's own is its unload.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace trelm::shell {

class DownloadStatusDialog : public QDialog {
    Q_OBJECT
public:
    explicit DownloadStatusDialog(QWidget *parent = nullptr);

    // Load: empty texts, lblMsg hidden, centred on the screen.
    void load();
    void setStatus(const QString &text);
    void setCancelHintVisible(bool visible);
    void setButtons(bool okEnabled, bool retryEnabled);
    // "Hang Up Modem": only when the line is a modem call.
    void setHangUpEnabled(bool enabled);
    void appendLog(const QString &line);
    void setBytes(qint64 bytes);
    // The bar's percentage and the time left ("m:ss left", or empty).
    void setProgress(int percent, const QString &timeLeft);

    QString status() const;
    QString messageLog() const;
    QString bytesText() const;
    int progressPercent() const;
    QString progressText() const; // what the bar shows
    QString timeLeftText() const;
    bool cancelHintVisible() const;
    bool logVisible() const;

signals:
    void retryClicked();
    // "&OK", "Hang Up Modem" or the window's close box.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Escape does not close the dialog: during a transfer it cancels the
    // transfer through the library, otherwise it does nothing.
    void reject() override {}

private:
    void unload();

    QLabel *m_lblDownloadStat;
    QLabel *m_lblMsg;
    QPushButton *m_cmdOK;
    QPushButton *m_cmdRetry;
    QPushButton *m_cmdHangUp;
    QLabel *m_label1;
    QLineEdit *m_txtBytesTransferred;
    QProgressBar *m_prgTransfer;
    QLabel *m_lblTimeLeft;
    QLabel *m_label2;
    QPlainTextEdit *m_txtMessages;
};

// frmDownLoadModem, "Modem Status:": one status line and "Disconnect Modem".
class ModemStatusDialog : public QDialog {
    Q_OBJECT
public:
    explicit ModemStatusDialog(QWidget *parent = nullptr);

    // Shows the line, centred on first showing, and paints it at once.
    void showText(const QString &text);
    QString text() const;

signals:
    // "Disconnect Modem", or the window's close box.
    void hangUpClicked();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override {}

private:
    QLineEdit *m_txtMsg;
    QPushButton *m_cmdHangUp;
    bool m_centred = false;
};

} // namespace trelm::shell
