#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <variant>

#include "cli/commands.h"
#include "datafile/folder_lock.h"
#include "pty_pair.h"
#include "sample_event.h"

using namespace trelm;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class CliTest : public ::testing::Test {
protected:
    Outcome run(const std::vector<std::string> &args) {
        std::ostringstream out, err;
        const int status = cli::runCli(args, out, err);
        return Outcome{status, out.str(), err.str()};
    }
    std::string path(const std::string &name) const { return (m_dir / name).string(); }
    void writeSample(const std::string &name, std::int16_t model = 1) {
        testdata::writeFile(m_dir / name, testdata::eventFileBytes({model, 0x0102, 123}, sample::event(6), sample::log()));
    }
    static std::size_t lineCount(const std::string &text) { return std::count(text.begin(), text.end(), '\n'); }

    testfiles::TempDir m_dir;
};

} // namespace

TEST_F(CliTest, UsageAndHelpForEveryCommand) {
    Outcome usage = run({});
    EXPECT_EQ(usage.status, 0);
    EXPECT_NE(usage.out.find("usage: trelmlink"), std::string::npos);
    for (const char *command : {"export", "convert", "show"}) {
        Outcome help = run({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: trelmlink ") + command, 0), 0u) << command;
    }
    Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("trelmlink ") + TRELMLINK_VERSION + "\n");
    EXPECT_NE(std::string(TRELMLINK_VERSION), "");
    Outcome unknown = run({"frobnicate"});
    EXPECT_EQ(unknown.status, 2); // a usage error
    EXPECT_EQ(lineCount(unknown.err), 1u);
}

TEST_F(CliTest, ArgumentMistakesFailWithOneLine) {
    for (const std::vector<std::string> &args :
         std::vector<std::vector<std::string>>{{"export"}, {"export", "a.bin", "-o"}, {"show", "a", "b"},
                                               {"convert", "x", "--bogus"}}) {
        Outcome result = run(args);
        EXPECT_EQ(result.status, 2) << args[0]; // a usage error
        EXPECT_EQ(lineCount(result.err), 1u) << result.err;
    }
}

TEST_F(CliTest, ExportWritesTheCsvBesideTheEventFileNamingItAsGiven) {
    writeSample(sample::kName);
    Outcome result = run({"export", path(sample::kName)});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string csv = path("0123_2005_06_15_12_30_05.csv");
    EXPECT_EQ(result.out, csv + "\n");
    EXPECT_EQ(testdata::readText(csv).rfind("\"File:\",\"" + path(sample::kName) + "\"\r\n", 0), 0u);
    // Outcome in the event's folder with the bare name, the CSV is the golden one.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.path());
    Outcome named = run({"export", sample::kName, "-o", "named.csv"});
    std::filesystem::current_path(previous);
    ASSERT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, "named.csv\n");
    EXPECT_EQ(testdata::readFile(m_dir / "named.csv"),
              testdata::readFile(std::filesystem::path(GOLDEN_DIR) / "eight_config6.csv"));
}

TEST_F(CliTest, ExportShowsItsStatusMessageOnlyWhenVerbose) {
    writeSample(sample::kName);
    Outcome quiet = run({"export", path(sample::kName)});
    ASSERT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");
    Outcome verbose = run({"export", "--verbose", path(sample::kName)});
    ASSERT_EQ(verbose.status, 0) << verbose.err;
    EXPECT_EQ(verbose.err, "Exporting data...\n");
}

// Outputs that are no regular file are written straight through and stay
// what they are; what cannot take the CSV fails with the system's reason.
TEST_F(CliTest, ExportToDevicesPipesAndStandardOutput) {
    writeSample(sample::kName);
    const std::string source = path(sample::kName);
    ASSERT_EQ(run({"export", source, "-o", path("regular.csv")}).status, 0);
    const std::string csv = testdata::readText(m_dir / "regular.csv");
    // A terminal first: were devices replaced by a rename, this fails before
    // any system device below is touched.
    testsupport::PtyPair terminal;
    Outcome toTerminal = run({"export", source, "-o", terminal.slavePath()});
    ASSERT_EQ(toTerminal.status, 0) << toTerminal.err;
    EXPECT_EQ(toTerminal.out, "");
    EXPECT_EQ(terminal.receive(csv.size(), std::chrono::seconds(10)), csv);
    ASSERT_EQ(::mkfifo(path("pipe.csv").c_str(), 0600), 0);
    std::string fromPipe;
    std::thread reader([&] { fromPipe = testdata::readText(m_dir / "pipe.csv"); });
    const struct {
        std::string output;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {"/dev/null", 0, "", ""},
        {path("pipe.csv"), 0, "", ""},
        {"-", 0, csv, ""},
        {"/dev/full", 1, "", "trelmlink: /dev/full: No space left on device\n"},
        {"", 2, "", "trelmlink: export: the output name given with -o is empty\n"},
    };
    for (const auto &c : cases) {
        Outcome result = run({"export", source, "-o", c.output});
        EXPECT_EQ(result.status, c.status) << c.output;
        EXPECT_EQ(result.out, c.out) << c.output;
        EXPECT_EQ(result.err, c.err) << c.output;
    }
    // Release the reader even if the export never opened the FIFO.
    const int writer = ::open(path("pipe.csv").c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
    reader.join();
    EXPECT_EQ(fromPipe, csv);
    struct stat status {};
    ASSERT_EQ(::stat(path("pipe.csv").c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    for (const char *device : {"/dev/null", "/dev/full"}) {
        ASSERT_EQ(::stat(device, &status), 0);
        EXPECT_TRUE(S_ISCHR(status.st_mode)) << device;
    }

    // /dev/stdout of the program itself: the CSV and nothing else.
    const std::string command = std::string(TRELMLINK_PROGRAM) + " export '" + source + "' -o /dev/stdout";
    FILE *pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string piped;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        piped.append(buffer, got);
    EXPECT_EQ(WEXITSTATUS(::pclose(pipe)), 0);
    EXPECT_EQ(piped, csv);
    EXPECT_TRUE(std::filesystem::is_symlink("/dev/stdout"));
}

TEST_F(CliTest, BadEventFilesFailWithoutTouchingTheOutput) {
    testdata::writeFile(m_dir / "short.bin", testdata::Bytes(685, 1));
    testdata::Bytes noise(500);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>(i * 7919 % 251);
    testdata::writeFile(m_dir / "noise.bin", noise);
    std::filesystem::create_directory(m_dir / "folder.bin");
    testdata::writeFile(m_dir / "keep.csv", testdata::Bytes(3, 'x'));
    const std::size_t before = testdata::entryCount(m_dir.path());
    for (const std::string name : {"short.bin", "noise.bin", "folder.bin", "missing.bin"}) {
        for (const Outcome &result : {run({"export", path(name), "-o", path("keep.csv")}), run({"export", path(name)}),
                                  run({"show", path(name)})}) {
            EXPECT_EQ(result.status, 1) << name;
            EXPECT_EQ(lineCount(result.err), 1u) << result.err;
            EXPECT_EQ(result.err.rfind("trelmlink: " + path(name) + ": ", 0), 0u) << result.err;
            EXPECT_TRUE(result.out.empty());
        }
    }
    EXPECT_EQ(testdata::entryCount(m_dir.path()), before);
    EXPECT_EQ(testdata::readFile(m_dir / "keep.csv"), testdata::Bytes(3, 'x'));
}

TEST_F(CliTest, ShowAndExportRefuseAFifoAtOnce) {
    // No writer ever opens the FIFO: a blocking open would hang the command.
    ASSERT_EQ(::mkfifo(path("pipe.bin").c_str(), 0600), 0);
    for (const Outcome &result : {run({"show", path("pipe.bin")}), run({"export", path("pipe.bin")})}) {
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "trelmlink: " + path("pipe.bin") + ": is not a regular file\n");
        EXPECT_TRUE(result.out.empty());
    }
}

TEST_F(CliTest, ExportRefusesToReplaceItsOwnSource) {
    writeSample("event.csv");
    const testdata::Bytes before = testdata::readFile(m_dir / "event.csv");
    Outcome result = run({"export", path("event.csv")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("is the event file itself"), std::string::npos);
    EXPECT_EQ(testdata::readFile(m_dir / "event.csv"), before);
}

TEST_F(CliTest, ShowSummarisesTheEvent) {
    writeSample(sample::kName);
    Outcome result = run({"show", path(sample::kName)});
    ASSERT_EQ(result.status, 0) << result.err;
    for (const char *expected :
         {"Model: Super TRELM\n", "Firmware: 1.2\n", "Unit ID: 123\n", "Status: Finished\n",
          "Start: 06/15/05 12:30:05\n", "Elapse: 24:00:00\n",
          "Canister 5: volume 10.081 m3, CV 12.1 %, flow 16.61 L/min, std dev 0.11 L/min\n",
          "Barometric pressure: average 760 mmHg, maximum 761 mmHg at 06/16/05 05:00:00",
          "  Filter 6 temperature: Yes at 06/15/05 18:30:00\n", "  Filter 5 max dT: 3.5 C at 06/16/05 05:00:00\n",
          "  Elapse: Yes 24:00:00 > 23:00:00\n", "  Canister 6 flow: Yes 15.00 L/min at 06/15/05 18:30:00\n",
          "Power failures: none\n", "Log records: 3\n"})
        EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "\n" << result.out;
}

TEST_F(CliTest, ConvertListsEventFilesThenTheCurrentOne) {
    testdata::ImageBuilder image({1, 0x0102, 123});
    testdata::EventBuilder first = sample::event(6);
    first.logAddresses(testdata::ImageBuilder::logAddress(0), testdata::ImageBuilder::logAddress(2));
    testdata::EventBuilder later = sample::event(0);
    later.start(sample::kStart + 86400).logAddresses(12345, 16384);
    image.slot(2, later).slot(5, first);
    testdata::writeFile(m_dir / "temp0000.$$$", image.receivedBytes());
    Outcome result = run({"convert", path("temp0000.$$$"), "--dir", m_dir.path().string()});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "0123_2005_06_16_12_30_05.bin\n" + sample::kName + "\ncurrent: 0123_2005_06_16_12_30_05.bin\n");
    EXPECT_EQ(lineCount(result.err), 1u);
    EXPECT_NE(result.err.find("warning: event slot 2"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "temp0000.$$$"));
    EXPECT_EQ(testdata::readText(m_dir / "0123_2005_06_15_12_30_05.csv").rfind("\"File:\",\"" + sample::kName + "\"\r\n", 0), 0u);
}

TEST_F(CliTest, ConvertSwappedSplitsAgainWithoutASecondSwap) {
    testdata::ImageBuilder image({1, 0x0102, 123});
    image.slot(3, sample::event(6));
    testdata::writeFile(m_dir / "temp0000.$$$", image.receivedBytes());
    ASSERT_EQ(run({"convert", path("temp0000.$$$"), "--dir", m_dir.path().string()}).status, 0);
    const testdata::Bytes eventFile = testdata::readFile(m_dir / sample::kName);
    std::filesystem::remove(m_dir / sample::kName);
    Outcome again = run({"convert", "--swapped", path("swap.bin"), "--dir", m_dir.path().string()});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, sample::kName + "\ncurrent: " + sample::kName + "\n");
    EXPECT_EQ(testdata::readFile(m_dir / sample::kName), eventFile);
    EXPECT_EQ(testdata::readFile(m_dir / "swap.bin"), image.bytes());
}

TEST_F(CliTest, ConvertOfAnImageWithoutEventsPrintsNoCurrentLine) {
    testdata::ImageBuilder image({1, 0x0102, 123});
    testdata::writeFile(m_dir / "temp0000.$$$", image.receivedBytes());
    Outcome result = run({"convert", path("temp0000.$$$"), "--dir", m_dir.path().string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "");
}

TEST_F(CliTest, ConvertRejectsShortInputAndMissingFolder) {
    testdata::writeFile(m_dir / "temp0000.$$$", testdata::Bytes(100, 0));
    Outcome shortInput = run({"convert", path("temp0000.$$$"), "--dir", m_dir.path().string()});
    EXPECT_EQ(shortInput.status, 5); // the data could not be taken in
    EXPECT_EQ(shortInput.err.rfind("trelmlink: " + path("temp0000.$$$") + ": is too short", 0), 0u) << shortInput.err;
    EXPECT_EQ(testdata::entryCount(m_dir.path()), 1u);
    Outcome noFolder = run({"convert", path("temp0000.$$$"), "--dir", path("nowhere")});
    EXPECT_EQ(noFolder.status, 3); // a set-up problem
    EXPECT_EQ(noFolder.err, "trelmlink: " + path("nowhere") + ": the folder does not exist\n");
    Outcome fileAsFolder = run({"convert", path("temp0000.$$$"), "--dir", path("temp0000.$$$")});
    EXPECT_EQ(fileAsFolder.err, "trelmlink: " + path("temp0000.$$$") + ": is not a folder\n");
}

TEST_F(CliTest, TheProgramReportsThroughItsExitStatus) {
    writeSample(sample::kName);
    const std::string program = TRELMLINK_PROGRAM;
    const std::string quiet = " >/dev/null 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system((program + " show '" + path(sample::kName) + "'" + quiet).c_str())), 0);
    EXPECT_EQ(WEXITSTATUS(std::system((program + " show '" + path("none.bin") + "'" + quiet).c_str())), 1);
}

// A transfer cut short leaves an image that ends inside an event's log:
// convert names the incomplete events and writes nothing, unless asked.
TEST_F(CliTest, ConvertRefusesAPartialImageUnlessAsked) {
    testdata::ImageBuilder image({1, 0x0102, 123});
    testdata::EventBuilder event;
    event.status(5).start(1118838605).config(0).logAddresses(testdata::ImageBuilder::logAddress(0),
                                                             testdata::ImageBuilder::logAddress(99));
    image.slot(1, event);
    testdata::Bytes received = image.receivedBytes();
    received.resize(16384 + 38 * 50);
    const std::string partial = "partial-" + std::to_string(received.size()) + "-bytes-2026-12-08_09-30-05.$$$";
    testdata::writeFile(m_dir / partial, received);
    Outcome refused = run({"convert", path(partial), "--dir", m_dir.path().string()});
    EXPECT_EQ(refused.status, 5);
    EXPECT_EQ(refused.err, "trelmlink: " + path(partial) + ": is a partial image: it ends at byte 18284 inside the "
                           "log of 1 event (incomplete: 0123_2005_06_15_12_30_05.bin); nothing was written (convert "
                           "--partial takes in what it holds)\n");
    EXPECT_EQ(testdata::entryCount(m_dir.path()), 1u);
    Outcome taken = run({"convert", path(partial), "--dir", m_dir.path().string(), "--partial"});
    EXPECT_EQ(taken.status, 0) << taken.err;
    EXPECT_EQ(taken.out, "0123_2005_06_15_12_30_05.bin\ncurrent: 0123_2005_06_15_12_30_05.bin\n");
    EXPECT_TRUE(std::filesystem::exists(m_dir / partial)); // only whole received images are deleted
}

// convert takes the data folder's lock as a retrieval does.
TEST_F(CliTest, ConvertIsRefusedWhileAnotherHoldsTheFolder) {
    testdata::ImageBuilder image({1, 0x0102, 123});
    testdata::writeFile(m_dir / "temp0000.$$$", image.receivedBytes());
    auto held = FolderLock::take(m_dir.path());
    ASSERT_TRUE(std::holds_alternative<FolderLock>(held));
    Outcome refused = run({"convert", path("temp0000.$$$"), "--dir", m_dir.path().string()});
    EXPECT_EQ(refused.status, 3);
    EXPECT_NE(refused.err.find("another retrieval or convert is working in this data folder (process " +
                               std::to_string(::getpid()) + ")"),
              std::string::npos)
        << refused.err;
    EXPECT_TRUE(std::filesystem::exists(m_dir / "temp0000.$$$"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "swap.bin"));
}
