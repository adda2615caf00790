// korlink-xfer --protocol 104 against G-Kermit over a null-modem cable, in
// both directions and on a 7-bit even-parity line: exit status 0, the files
// byte-identical and counted in the summary; a fixed name refused for the
// second file of a batch.
#include "case_name.h"
#include "null_modem.h"

#include <gtest/gtest.h>

using namespace kermittest;
using namespace xfertest;

namespace {

struct ToolCase {
    const char *name;
    bool toolSends;
    const char *protocol;   // as typed on the command line
    bool viaDevice;         // --device on the cable's end instead of --port
    const char *line;       // line settings of the tool
    bool peerParity;        // gkermit told the line has even parity
};

std::ostream &operator<<(std::ostream &out, const ToolCase &c) { return out << c.name; }

std::vector<std::string> withEvenParity(std::vector<std::string> argv) {
    argv.insert(argv.begin() + 1, {"-p", "e"});
    return argv;
}

class KermitToolTest : public ::testing::TestWithParam<ToolCase> {};

TEST_P(KermitToolTest, FilesCrossTheCable) {
    const ToolCase &c = GetParam();
    NullModemCable cable(cableCom);
    TempDir toolDir;
    TempDir peerDir;
    std::vector<uint8_t> first = allByteValues(3);
    std::vector<uint8_t> second = patternBytes(7000, 5);
    const TempDir &source = c.toolSends ? toolDir : peerDir;
    writeFile(source / "first.bin", first);
    writeFile(source / "second.bin", second);
    std::string lineArgs = c.viaDevice ? " --device " + cable.ourEnd() : " --port " + std::to_string(cableCom);
    std::string command = std::string("exec ") + KERMIT_TOOL + (c.toolSends ? " send" : " receive") + lineArgs +
                          " " + c.line + " --protocol " + c.protocol + " --retries 20 --timeout 10000" +
                          (c.toolSends ? " first.bin second.bin" : "") + " > out.txt";
    std::vector<std::string> peerArgs = c.toolSends ? gkermitReceive() : gkermitSend({"first.bin", "second.bin"});
    PeerProcess peer(c.peerParity ? withEvenParity(peerArgs) : peerArgs, cable.peerEnd(), peerDir.path().string());
    PeerProcess tool({"/bin/sh", "-c", command}, "/dev/null", toolDir.path().string());
    EXPECT_EQ(tool.wait(peerLimit), 0) << tool.log();
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    const TempDir &target = c.toolSends ? peerDir : toolDir;
    EXPECT_EQ(readFile(target / "first.bin"), first);
    EXPECT_EQ(readFile(target / "second.bin"), second);
    std::string output = readText(toolDir / "out.txt");
    EXPECT_NE(output.find("\n2 files, 7768 bytes in "), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Tool, KermitToolTest,
                         ::testing::Values(ToolCase{"receives_from_gkermit", false, "104", false, "", false},
                                           ToolCase{"sends_to_gkermit", true, "kermit", false, "", false},
                                           ToolCase{"sends_to_gkermit_on_a_7_bit_even_parity_line", true, "kermit",
                                                    true, "--data-bits 7 --parity even", true},
                                           ToolCase{"receives_from_gkermit_on_a_7_bit_even_parity_line", false,
                                                    "kermit", true, "--data-bits 7 --parity even", true}),
                         testsupport::CaseName());

// A name fixed with --name holds one file: the first of the peer's batch is
// stored under it, the second is refused and the tool says so.
TEST(KermitToolBatch, FixedNameRefusesTheSecondFile) {
    NullModemCable cable(cableCom);
    TempDir toolDir;
    TempDir peerDir;
    std::vector<uint8_t> first = patternBytes(500, 8);
    writeFile(peerDir / "first.bin", first);
    writeFile(peerDir / "second.bin", patternBytes(600, 9));
    std::string command = std::string("exec ") + KERMIT_TOOL + " receive --port " + std::to_string(cableCom) +
                          " --protocol kermit --name only.bin --retries 20 > out.txt";
    PeerProcess peer(gkermitSend({"first.bin", "second.bin"}), cable.peerEnd(), peerDir.path().string());
    PeerProcess tool({"/bin/sh", "-c", command}, "/dev/null", toolDir.path().string());
    EXPECT_EQ(tool.wait(peerLimit), 1) << tool.log();
    peer.wait(peerLimit);
    EXPECT_EQ(readFile(toolDir / "only.bin"), first);
    EXPECT_FALSE(fs::exists(toolDir / "second.bin"));
    std::string output = readText(toolDir / "out.txt");
    EXPECT_NE(output.find("Second file refused; every file would be stored as only.bin"), std::string::npos) << output;
    EXPECT_NE(output.find("\n1 file, 500 bytes in "), std::string::npos) << output;
}

}  // namespace
