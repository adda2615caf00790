#include "shell/report_pdf.h"

#include <QPrinter>
#include <QTemporaryFile>
#include <sys/stat.h>

#include "shell/offscreen_app.h"
#include "shell/qt_line_printer.h"

namespace trelm::shell {

namespace {

// The temporary file is made private; the finished PDF gets the
// permissions any new file of the user gets.
void giveUsualPermissions(const QString &file) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(file).constData(), 0666 & ~mask);
}

} // namespace

Status writeReportsPdfOn(QPrinter &printer, const ReportComposer &compose) {
    const QString target = printer.outputFileName();
    const std::string name = QFile::encodeName(target).toStdString();
    QTemporaryFile temporary(target + ".XXXXXX.tmp");
    if (!temporary.open())
        return Error{name, "cannot be written (" + temporary.errorString().toStdString() + ")"};
    temporary.close();

    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(temporary.fileName());
    Status result = Done{};
    bool printed = false;
    {
        QtLinePrinter linePrinter(printer, QtLinePrinter::Jobs::OneForAll, name);
        result = compose(linePrinter);
        Status finished = linePrinter.finishJob();
        if (result && !finished)
            result = finished;
        printed = linePrinter.pageCount() > 0;
    }
    printer.setOutputFileName(target);
    // Nothing printed (no report chosen) writes no file either.
    if (!result || !printed)
        return result;
    giveUsualPermissions(temporary.fileName());
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temporary.fileName()).toStdString(), name, error);
    if (error)
        return Error{name, "cannot be replaced (" + error.message() + ")"};
    temporary.setAutoRemove(false);
    return Done{};
}

Status writeReportsPdf(const std::filesystem::path &output, const ReportComposer &compose) {
    const auto application = applicationForJob();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(output.string()));
    printer.setCreator("Trelmlink");
    return writeReportsPdfOn(printer, compose);
}

} // namespace trelm::shell
