// Fills the window's grids from event files written by the test-data
// builder, and reads cells back as joined text for compact expectations.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "grids/fill_grids.h"
#include "grids/grid_setups.h"
#include "sample_event.h"

namespace gridtest {

// Cells of one row or one column from `first` on, joined by '|'.
inline std::string rowText(const grids::Grid &grid, int row, int first = 0) {
    std::string text;
    for (int col = first; col < grid.cols(); ++col)
        text += (col > first ? "|" : "") + grid.text(row, col);
    return text;
}

inline std::string columnText(const grids::Grid &grid, int col, int first) {
    std::string text;
    for (int row = first; row < grid.rows(); ++row)
        text += (row > first ? "|" : "") + grid.text(row, col);
    return text;
}

// Records what a fill shows and hides, in order.
class RecordingPort : public trelm::MessagePort {
public:
    void ShowMessage(const std::string &text) override { shown += "show " + text + ";"; }
    void HideMessage() override { shown += "hide;"; }
    std::string shown;
};

class GridsTest : public ::testing::Test {
protected:
    GridsTest() { grids::initGrids(m_grids); }

    std::filesystem::path write(const std::string &name, std::int16_t model, const testdata::EventBuilder &event,
                                const std::vector<testdata::LogRow> &log = {}) {
        testdata::writeFile(m_dir / name, testdata::eventFileBytes({model, 0x010A, 123}, event, log));
        return m_dir / name;
    }

    // Writes the file and fills the grids from it; the fill must succeed.
    grids::FillOutcome fill(std::int16_t model, const testdata::EventBuilder &event,
                            const std::vector<testdata::LogRow> &log = {}) {
        auto outcome = grids::FillGrids(m_grids, write("event.bin", model, event, log), m_messages);
        EXPECT_TRUE(outcome.ok()) << (outcome.ok() ? "" : outcome.error().message());
        return outcome.ok() ? outcome.value() : grids::FillOutcome{};
    }

    grids::GridSet m_grids;
    RecordingPort m_messages;
    testfiles::TempDir m_dir;
};

} // namespace gridtest
