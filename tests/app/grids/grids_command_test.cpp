// `trelmlink grids` in-process: the grids the window's fill code makes, as
// text blocks in number order; one grid with --grid; one-line failures.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/commands.h"
#include "grids_fixture.h"

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run(const std::vector<std::string> &args) {
    std::ostringstream out, err;
    const int status = trelm::cli::runCli(args, out, err);
    return Outcome{status, out.str(), err.str()};
}

// The text block of one grid: [NAME], rows of TAB-separated cells, empty line.
std::string block(std::string_view name, const grids::Grid &grid) {
    std::string text = "[";
    text.append(name).append("]\n");
    for (int row = 0; row < grid.rows(); ++row) {
        for (int col = 0; col < grid.cols(); ++col)
            text += (col ? "\t" : "") + grid.text(row, col);
        text += "\n";
    }
    return text + "\n";
}

class GridsCommandTest : public gridtest::GridsTest, public ::testing::WithParamInterface<std::int16_t> {};

} // namespace

// Both models print all eight grids, each exactly as the fill leaves it.
TEST_P(GridsCommandTest, PrintsEveryGridAsTheWindowFillsIt) {
    const std::filesystem::path path = write("event.bin", GetParam(), sample::event(6), sample::log());
    const Outcome result = run({"grids", path.string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    ASSERT_TRUE(grids::FillGrids(m_grids, path, m_messages).ok());
    std::string expected;
    for (std::string_view name : grids::gridNames())
        expected += block(name, *m_grids.find(name));
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.out.rfind("[MSFlexGrid1]\n\tValue\tDate/Time\nAvg Temp (C)\t21.5\t\n", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Models, GridsCommandTest, ::testing::Values(std::int16_t{0}, std::int16_t{1}),
                         [](const auto &info) { return info.param ? "Eight" : "Five"; });

TEST_F(GridsCommandTest, OneGridByName) {
    const std::filesystem::path path = write("event.bin", 1, sample::event(6), sample::log());
    const Outcome flow = run({"grids", path.string(), "--grid", "MSFlexGrid7"});
    ASSERT_EQ(flow.status, 0) << flow.err;
    EXPECT_EQ(flow.out, "[MSFlexGrid7]\n\tWarning\tL/min\tDate/Time\nCan 5 \tNo\t\t\n"
                        "Can 6 \tYes\t15.00\t06/15/05 18:30:00\n\n");
    const Outcome log = run({"grids", "--grid", "MSFlexGrid2", path.string()});
    ASSERT_EQ(log.status, 0) << log.err;
    EXPECT_EQ(log.out.rfind("[MSFlexGrid2]\nDate\tTime\tAmbient T\tPressure\tFilter 5 T\tFilter 6 T\tFlow 5\tFlow 6\t"
                            "Pump Box T\nmm/dd/yy\tHH:mm:ss\tDeg C\tmmHg\tDeg C\tDeg C\tL/min\tL/min\tDeg C\n"
                            "6/15/2005\t12:40:05\t21.0\t760\t25.0\t26.0\t16.10\t16.20\t25.0\n",
                            0),
              0u);
    EXPECT_EQ(std::count(log.out.begin(), log.out.end(), '\n'), 1 + 5 + 1);
}

TEST_F(GridsCommandTest, HelpAndOneLineFailures) {
    const Outcome verbose = run({"grids", write("v.bin", 0, sample::event(1)).string(), "--verbose", "--grid",
                                 "MSFlexGrid8"});
    EXPECT_EQ(verbose.status, 0);
    EXPECT_EQ(verbose.err, "Filling Grids...\n");
    const Outcome help = run({"grids", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: trelmlink grids EVENT.bin [--grid NAME]", 0), 0u);

    const std::filesystem::path good = write("event.bin", 1, sample::event(6));
    testdata::Bytes shortFile = testdata::eventFileBytes({1, 0x0102, 123}, sample::event(6));
    shortFile.resize(685);
    testdata::writeFile(m_dir / "short.bin", shortFile);
    const std::vector<std::vector<std::string>> failures = {
        {"grids"},
        {"grids", (m_dir / "missing.bin").string()},
        {"grids", (m_dir / "short.bin").string()},
        {"grids", good.string(), "--grid", "MSFlexGrid5"},
        {"grids", good.string(), "--grid"},
    };
    // Mistakes in the command line are usage errors (2); unreadable files 1.
    const std::vector<int> statuses = {2, 1, 1, 2, 2};
    for (std::size_t i = 0; i < failures.size(); ++i) {
        const auto &args = failures[i];
        const Outcome result = run(args);
        EXPECT_EQ(result.status, statuses[i]) << args.back();
        EXPECT_EQ(result.out, "") << args.back();
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_NE(run(failures[2]).err.find("short.bin"), std::string::npos);
}
