// Times the Data Log report of an event holding a whole log ring (2586
// records) as text and as PDF. Prints the times; asserts nothing about them.
#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "report_events.h"
#include "shell/report_pdf.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecords = 2586;

std::vector<testdata::LogRow> ringLog() {
    std::vector<testdata::LogRow> rows(kRecords);
    for (int j = 0; j < kRecords; ++j) {
        testdata::LogRow &row = rows[static_cast<std::size_t>(j)];
        row.time = sample::kStart + 60 * (j + 1);
        row.ambient = static_cast<std::int16_t>(200 + j % 50);
        row.pressure = 760;
        row.filter.fill(static_cast<std::int16_t>(210 + j % 30));
        row.flow.fill(static_cast<std::int16_t>(1660 + j % 20));
    }
    return rows;
}

double median(int rounds, const std::function<void()> &work, double &best) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    best = times.front();
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    testfiles::TempDir dir;
    trelm::LoadedEvent loaded = reportdata::writeEvent(dir, 1, 10, ringLog());

    double textBest = 0, pdfBest = 0;
    std::size_t textSize = 0;
    const double text = median(9, [&] {
        std::ostringstream out;
        trelm::TextPrinter printer(out);
        if (!trelm::PrintDataLogReport(printer, loaded).ok())
            std::abort();
        textSize = out.str().size();
    }, textBest);
    const std::filesystem::path pdf = dir / "datalog.pdf";
    const double pdfTime = median(3, [&] {
        auto written = trelm::shell::writeReportsPdf(
            pdf, [&](trelm::LinePrinter &printer) { return trelm::PrintDataLogReport(printer, loaded); });
        if (!written.ok())
            std::abort();
    }, pdfBest);
    std::printf("Data Log of %d records as text (%zu bytes)  median %8.2f ms  best %8.2f ms  (9 rounds)\n", kRecords,
                textSize, text, textBest);
    std::printf("Data Log of %d records as PDF (%ju bytes)  median %8.2f ms  best %8.2f ms  (3 rounds)\n", kRecords,
                static_cast<std::uintmax_t>(std::filesystem::file_size(pdf)), pdfTime, pdfBest);
    std::printf("PDF / text: %.1f\n", pdfTime / text);
    return 0;
}
