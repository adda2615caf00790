// korlink-xfer with --protocol zmodem: a receive with --resume continues a
// partial file from sz; --resume and --name are refused where they do not
// apply.
#include "case_name.h"
#include "zmodem_peer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

using namespace zmodemtest;

namespace {

constexpr int toolCom = 15;

// Runs the tool in `dir`; its exit status, with stdout and stderr in `output`.
int runTool(const std::string &arguments, const fs::path &dir, std::string &output) {
    std::string command = "cd '" + dir.string() + "' && '" ZMODEM_TOOL "' " + arguments + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    while (size_t got = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ZmodemToolTest, ReceiveWithResumeContinuesAPartialFile) {
    kermittest::NullModemCable cable(toolCom);
    TempDir peerDir, ourDir;
    const std::vector<uint8_t> data = patternBytes(300000, 12);
    writeFile(peerDir / "part.bin", data);
    writeFile(ourDir / "part.bin", std::vector<uint8_t>(data.begin(), data.begin() + 100000));
    PeerProcess sz({"sz", "-q", "part.bin"}, cable.peerEnd(), peerDir.path().string());
    std::string output;
    EXPECT_EQ(runTool("receive --port " + std::to_string(toolCom) + " --protocol zmodem --resume", ourDir.path(),
                      output), 0)
        << output;
    EXPECT_EQ(sz.wait(peerLimit), 0) << sz.log();
    EXPECT_EQ(readFile(ourDir / "part.bin"), data);
    EXPECT_NE(output.find("Resuming at byte 100000"), std::string::npos) << output;
}

struct RefusalCase {
    const char *name;
    const char *arguments;
    const char *message;
};

std::ostream &operator<<(std::ostream &out, const RefusalCase &c) { return out << c.name; }

class ZmodemToolRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ZmodemToolRefusalTest, RefusedBeforeTheLineIsOpened) {
    const RefusalCase &c = GetParam();
    TempDir dir;
    std::string output;
    EXPECT_EQ(runTool(c.arguments, dir.path(), output), 2);
    EXPECT_NE(output.find(c.message), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(
    Options, ZmodemToolRefusalTest,
    ::testing::Values(RefusalCase{"resume_with_xmodem", "receive --port 99 --protocol xmodem --resume",
                                  "--resume works with zmodem only"},
                      RefusalCase{"name_with_zmodem", "receive --port 99 --protocol 110 --name x.bin",
                                  "--name: zmodem keeps the names the sender gives"}),
    testsupport::CaseName());

TEST(ZmodemToolHelpTest, HelpNamesTheProtocolAndResume) {
    TempDir dir;
    std::string output;
    EXPECT_EQ(runTool("--help", dir.path(), output), 0);
    EXPECT_NE(output.find("110 or zmodem"), std::string::npos) << output;
    EXPECT_NE(output.find("--resume"), std::string::npos) << output;
}

}  // namespace
