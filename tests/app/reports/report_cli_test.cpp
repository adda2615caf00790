// "trelmlink report": text in-process against the golden texts, PDF through
// the program itself (the Qt printer is installed by its main), and the
// mistakes and failures that must leave no PDF.
#include <gtest/gtest.h>

#include <sstream>
#include <sys/wait.h>

#include "cli/commands.h"
#include "pdf_tools.h"
#include "report_events.h"

using namespace trelm;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class ReportCli : public ::testing::Test {
protected:
    void SetUp() override { m_event = reportdata::writeEvent(m_dir, 1, 4).path.string(); }

    Outcome run(std::vector<std::string> args) {
        args.insert(args.begin(), "report");
        std::ostringstream out, err;
        const int status = cli::runCli(args, out, err);
        std::string text = out.str();
        const std::string dir = m_dir.path().string();
        for (std::size_t at = text.find(dir); at != std::string::npos; at = text.find(dir, at))
            text.replace(at, dir.size(), "@DIR@");
        return Outcome{status, text, err.str()};
    }
    // The program itself, with its exit status.
    int program(const std::vector<std::filesystem::path> &args) {
        std::string command = TRELMLINK_PROGRAM;
        command += " report";
        for (const std::filesystem::path &arg : args)
            command += ' ' + pdftools::quoted(arg);
        command += " 2>/dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static std::string golden(const std::string &name) {
        return testdata::readText(std::filesystem::path(GOLDEN_DIR) / (name + ".txt"));
    }

    testfiles::TempDir m_dir;
    std::string m_event;
};

TEST_F(ReportCli, TextIsTheReportLinesAloneInTheFixedOrder) {
    const struct {
        std::vector<std::string> choice;
        std::string expected;
    } cases[] = {
        {{}, golden("eight_code4_summary")},
        {{"--datalog", "--summary"}, golden("eight_code4_summary") + golden("eight_code4_datalog")},
        {{"--datalog", "--warnings", "--summary"},
         golden("eight_code4_summary") + golden("eight_code4_warnings") + golden("eight_code4_datalog")},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args{m_event, "--text"};
        args.insert(args.end(), c.choice.begin(), c.choice.end());
        Outcome result = run(args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.expected);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(ReportCli, MistakesAndUnreadableFilesFailWithOneLine) {
    testdata::writeFile(m_dir / "short.bin", testdata::Bytes(100, 0));
    const std::vector<std::vector<std::string>> cases{
        {m_event},                                    // no output chosen
        {m_event, "--text", "--pdf", "x.pdf"},         // two outputs
        {m_event, "--pdf"},                           // no PDF name
        {m_event, "--text", "--landscape"},           // unknown option
        {(m_dir / "absent.bin").string(), "--text"},   // no such file
        {(m_dir / "short.bin").string(), "--text"},    // not an event file
        {m_event, "--pdf", (m_dir / "in-process.pdf").string()}, // no PDF printer installed here
    };
    // The first four are usage errors (2), the rest files that cannot be used (1).
    const std::vector<int> statuses = {2, 2, 2, 2, 1, 1, 1};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto &args = cases[i];
        Outcome result = run(args);
        EXPECT_EQ(result.status, statuses[i]) << args.back();
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(testdata::entryCount(m_dir.path()), 2u);
    Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: trelmlink report", 0), 0u);
}

TEST_F(ReportCli, ProgramWritesOnePdfOrNothing) {
    const std::filesystem::path pdf = m_dir / "out.pdf";
    ASSERT_EQ(program({m_event, "--warnings", "--datalog", "--pdf", pdf}), 0);
    EXPECT_EQ(pdftools::landscapePages(pdf), (std::vector<bool>{false, true}));
    const std::vector<std::string> lines = pdftools::pdfLines(pdf);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Unit 123 Warnings Report");
    EXPECT_EQ(lines.back(), "6/15/2005 13:00:05 21.2 760 21.2 22.2 16.12 16.22");

    const std::filesystem::path unwritten = m_dir / "no-folder" / "out.pdf";
    EXPECT_EQ(program({m_event, "--pdf", unwritten}), 1);
    EXPECT_EQ(program({m_dir / "absent.bin", "--pdf", m_dir / "x.pdf"}), 1);
    EXPECT_EQ(testdata::entryCount(m_dir.path()), 2u); // the event file and out.pdf
}

} // namespace
