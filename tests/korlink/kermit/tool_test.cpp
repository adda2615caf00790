// korlink-xfer --protocol 104 against G-Kermit over a null-modem cable, in
// both directions: exit status 0 and the files byte-identical.
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
};

std::ostream &operator<<(std::ostream &out, const ToolCase &c) { return out << c.name; }

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
    std::string command = std::string("exec ") + KERMIT_TOOL + (c.toolSends ? " send" : " receive") +
                          " --port " + std::to_string(cableCom) + " --protocol " + c.protocol +
                          " --retries 20 --timeout 10000" + (c.toolSends ? " first.bin second.bin" : "") + " > out.txt";
    PeerProcess peer(c.toolSends ? gkermitReceive() : gkermitSend({"first.bin", "second.bin"}),
                     cable.peerEnd(), peerDir.path().string());
    PeerProcess tool({"/bin/sh", "-c", command}, "/dev/null", toolDir.path().string());
    EXPECT_EQ(tool.wait(peerLimit), 0) << tool.log();
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    const TempDir &target = c.toolSends ? peerDir : toolDir;
    EXPECT_EQ(readFile(target / "first.bin"), first);
    EXPECT_EQ(readFile(target / "second.bin"), second);
}

INSTANTIATE_TEST_SUITE_P(Tool, KermitToolTest,
                         ::testing::Values(ToolCase{"receives_from_gkermit", false, "104"},
                                           ToolCase{"sends_to_gkermit", true, "kermit"}),
                         testsupport::CaseName());

}  // namespace
