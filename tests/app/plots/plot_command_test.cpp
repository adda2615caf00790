// `trelmlink plot` as the program: pictures of the requested size in each
// format, one SVG path per series drawn, the series names of an event, the
// picture of an event without records, and bad input refused with one line,
// status 2 and nothing written.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "case_name.h"
#include "pdf_tools.h"
#include "sample_event.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// The program with `args`, its stdout and stderr kept apart.
Outcome runPlot(const std::vector<std::string> &args, const testfiles::TempDir &dir) {
    std::string command = std::string(TRELMLINK_PROGRAM) + " plot";
    for (const std::string &arg : args)
        command += ' ' + pdftools::quoted(arg);
    const auto errFile = dir / "stderr.txt";
    command += " 2>" + pdftools::quoted(errFile);
    Outcome run;
    if (FILE *pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            run.out.append(buffer, got);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    run.err = testdata::readText(errFile);
    std::filesystem::remove(errFile);
    return run;
}

// Width and height from a PNG's header chunk.
std::pair<int, int> pngSize(const std::string &bytes) {
    const auto big = [&bytes](std::size_t at) {
        return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
               (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    };
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0)
        return {0, 0};
    return {big(16), big(20)};
}

std::size_t count(const std::string &text, const std::string &what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class PlotCommand : public ::testing::Test {
protected:
    // An eight-channel configuration 9 event: eight series with its log.
    std::filesystem::path event(const std::vector<testdata::LogRow> &log = sample::log()) {
        const auto path = m_dir / sample::kName;
        testdata::writeFile(path, testdata::eventFileBytes({1, 0x010A, 123}, sample::event(9), log));
        return path;
    }
    testfiles::TempDir m_dir;
};

} // namespace

TEST_F(PlotCommand, PictureOfTheRequestedSizeInEachFormat) {
    const auto source = event();
    const auto png = m_dir / "out.png", svg = m_dir / "out.svg", pdf = m_dir / "out.PDF";
    Outcome run = runPlot({source.string(), "-o", png.string(), "--size", "640x480"}, m_dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, png.string() + "\n");
    EXPECT_EQ(pngSize(testdata::readText(png)), std::make_pair(640, 480));

    run = runPlot({source.string(), "-o", svg.string(), "--size", "900x300"}, m_dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(testdata::readText(svg).find("viewBox=\"0 0 900 300\""), std::string::npos);

    // The extension in any case; PDF sizes are points.
    run = runPlot({source.string(), "-o", pdf.string(), "--size", "800x600"}, m_dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(pdftools::run("pdfinfo " + pdftools::quoted(pdf)).find("800 x 600 pts"), std::string::npos);
}

TEST_F(PlotCommand, WithoutOutputWritesPngBesideTheEventAndDashWritesPngToStdout) {
    const auto source = event();
    Outcome run = runPlot({source.string()}, m_dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto beside = m_dir / "0123_2005_06_15_12_30_05.png";
    EXPECT_EQ(run.out, beside.string() + "\n");
    EXPECT_EQ(pngSize(testdata::readText(beside)), std::make_pair(1200, 800));

    run = runPlot({source.string(), "-o", "-", "--size", "300x200"}, m_dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(pngSize(run.out), std::make_pair(300, 200));
}

TEST_F(PlotCommand, SvgHoldsOnePathPerSeriesDrawn) {
    const auto source = event();
    const struct {
        std::vector<std::string> series;
        std::size_t paths;
    } cases[] = {{{}, 9}, {{"--series", "Pressure"}, 1}, {{"--series", "Flow 7,Ambient T,Filter 5 T"}, 3}};
    for (const auto &c : cases) {
        const auto svg = m_dir / "series.svg";
        std::vector<std::string> args = {source.string(), "-o", svg.string()};
        args.insert(args.end(), c.series.begin(), c.series.end());
        const Outcome run = runPlot(args, m_dir);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(count(testdata::readText(svg), "<path"), c.paths) << (c.series.empty() ? "all" : c.series[1]);
    }
}

TEST_F(PlotCommand, SeriesListPrintsTheNamesOfThisEvent) {
    const Outcome run = runPlot({event().string(), "--series", "list"}, m_dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Ambient T\nPressure\nFilter 5 T\nFilter 6 T\nFilter 7 T\nFlow 5\nFlow 6\nFlow 7\nPump Box T\n");
    EXPECT_EQ(testdata::entryCount(m_dir.path()), 1u); // the event file alone
}

TEST_F(PlotCommand, EventWithoutRecordsGivesAPictureSayingSo) {
    const auto svg = m_dir / "empty.svg";
    const Outcome run = runPlot({event({}).string(), "-o", svg.string()}, m_dir);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string text = testdata::readText(svg);
    EXPECT_NE(text.find("no log records in this event"), std::string::npos);
    EXPECT_NE(text.find("Start"), std::string::npos); // the markers stay
    EXPECT_EQ(count(text, "<path"), 9u);             // every series, each empty
}

namespace {

struct BadCase {
    const char *name;
    std::vector<std::string> args; // after EVENT.bin; @ stands for the folder
    bool missingEvent;
    std::string message; // what the one line says after "trelmlink: "
};

const BadCase kBadCases[] = {
    {"UnreadableFile", {"-o", "@/out.png"}, true, "@/0123_2005_06_15_12_30_05.bin: No such file or directory"},
    {"UnknownSeries", {"-o", "@/out.png", "--series", "Pressure,Flow 1"}, false,
     "series \"Flow 1\": is not a series of 0123_2005_06_15_12_30_05.bin"},
    {"UnknownExtension", {"-o", "@/out.gif"}, false, "@/out.gif: unknown picture format (use .png, .svg or .pdf)"},
    {"NoExtension", {"-o", "@/out"}, false, "@/out: unknown picture format (use .png, .svg or .pdf)"},
    {"SizeNotWxH", {"-o", "@/out.png", "--size", "640"}, false,
     "--size 640: not WxH with each side from 100 to 10000 pixels"},
    {"SizeTooSmall", {"-o", "@/out.png", "--size", "99x480"}, false,
     "--size 99x480: not WxH with each side from 100 to 10000 pixels"},
};

void PrintTo(const BadCase &c, std::ostream *out) { *out << c.name; }

class PlotBadInput : public PlotCommand, public ::testing::WithParamInterface<BadCase> {};

std::string placed(std::string text, const std::string &dir) {
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + dir.size()))
        text.replace(at, 1, dir);
    return text;
}

} // namespace

TEST_P(PlotBadInput, OneLineStatusTwoNothingWritten) {
    const BadCase &c = GetParam();
    const auto source = c.missingEvent ? m_dir / sample::kName : event();
    std::vector<std::string> args = {source.string()};
    for (const std::string &arg : c.args)
        args.push_back(placed(arg, m_dir.path().string()));
    const Outcome run = runPlot(args, m_dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "trelmlink: " + placed(c.message, m_dir.path().string()) + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(testdata::entryCount(m_dir.path()), c.missingEvent ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(Refused, PlotBadInput, ::testing::ValuesIn(kBadCases), testsupport::CaseName());
