// No text is cut in any grid cell: after filling the window from events of
// every model and configuration whose values are as wide as each column can
// show, every column is at least as wide as its header lines and its widest
// cell need, in the window's own face and style. CTest runs it at scale 1
// and again at scale 2 (QT_SCALE_FACTOR).
#include <QHeaderView>
#include <QStyle>

#include "case_name.h"
#include "grids/grid_set.h"
#include "shell/grid_view.h"
#include "window_fixture.h"

namespace fs = std::filesystem;
using trelm::shell::GridView;

namespace {

constexpr std::int32_t kWideTime = 1230497328; // 12/28/2008 20:48:48: two-digit month, day and hour
constexpr std::int16_t kWideTenths = -999;      // -99.9, a temperature or max dT
constexpr std::int16_t kWideHundredths = 9999;  // 99.99 L/min
constexpr std::int16_t kWidePressure = 999;     // mmHg
constexpr std::int32_t kWideElapse = 999 * 3600 + 59 * 60 + 59; // 999:59:59

testdata::EventBuilder widestEvent(std::int16_t config) {
    testdata::EventBuilder b;
    b.status(static_cast<std::int16_t>(config % 8)).start(kWideTime).stop(kWideTime).elapse(kWideElapse);
    b.elapseWarning(kWideElapse - 1).config(config);
    for (int block = 0; block < 13; ++block)
        b.extremes(block, kWideTenths, kWideTenths, kWideTime, kWideTenths, kWideTime);
    b.extremes(13, kWideTenths, kWideTenths, kWideTime, kWideTenths, kWideTime);
    b.extremes(14, kWidePressure, kWidePressure, kWideTime, kWidePressure, kWideTime);
    for (int slot = 1; slot <= 5; ++slot) {
        b.canister(slot, 32767, 999, kWideHundredths, kWideHundredths);
        b.flowWarning(slot, kWideHundredths, kWideTime);
    }
    for (int filter = 1; filter <= 8; ++filter) {
        b.filterWarning(filter, kWideTime);
        b.maxDt(filter, kWideTenths, kWideTime);
    }
    for (int entry = 0; entry < 10; ++entry)
        b.powerFailure(entry, kWideTime);
    return b;
}

std::vector<testdata::LogRow> widestLog() {
    testdata::LogRow row;
    row.time = kWideTime;
    row.filter.fill(kWideTenths);
    row.flow.fill(kWideHundredths);
    row.ambient = kWideTenths;
    row.pressure = kWidePressure;
    row.pumpBox = kWideTenths;
    return {row, row};
}

struct ModelCase {
    const char *name;
    std::int16_t modelFlag;
    std::int16_t lastConfig; // every configuration from 0 to this one
};

// What a header section needs to show its lines whole: the widest line and
// the style's margin on either side, as the header draws it.
int headerNeed(const GridView &view, int col) {
    if (view.horizontalHeader()->isHidden())
        return 0;
    const QFontMetrics metrics(view.horizontalHeader()->font());
    int widest = 0;
    for (int row = 0; row < view.grid().fixedRows(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(view.shownText(row, col)));
    return widest + 2 * view.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view.horizontalHeader());
}

void PrintTo(const ModelCase &c, std::ostream *out) { *out << c.name; }

class NoClippedText : public WindowTest, public testing::WithParamInterface<ModelCase> {};

} // namespace

TEST_P(NoClippedText, EveryColumnHoldsItsLabelsAndWidestValues) {
    writeIni("[PORT]\nCOMM=1\n");
    start();
    testdata::Header header;
    header.modelFlag = GetParam().modelFlag;
    header.unitId = 32767;
    for (std::int16_t config = 0; config <= GetParam().lastConfig; ++config) {
        const fs::path file = m_startDir / ("wide" + std::to_string(config) + ".bin");
        testdata::writeFile(file, testdata::eventFileBytes(header, widestEvent(config), widestLog()));
        ASSERT_TRUE(m_window->openBinFile(QString::fromStdString(file.string())));
        for (const grids::GridPlacement &at : grids::gridPlacements()) {
            GridView &view = *m_window->gridView(std::string(at.name));
            for (int col = 0; col < view.model()->columnCount(); ++col) {
                const int cells = view.model()->rowCount() > 0 ? static_cast<QAbstractItemView &>(view).sizeHintForColumn(col) : 0;
                const int header = headerNeed(view, col);
                EXPECT_GE(view.columnWidth(col), std::max(cells, header))
                    << at.name << " column " << col << " configuration " << config << ": \""
                    << view.shownText(0, col).toStdString() << "\" / \""
                    << view.shownText(view.grid().fixedRows(), col).toStdString() << "\"";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothModels, NoClippedText,
                         testing::Values(ModelCase{"FiveChannel", 0, 4}, ModelCase{"EightChannel", 1, 11}),
                         testsupport::CaseName());
