// korlink-xfer as a technician runs it: against lrzsz over relayed ptys, with
// its exit status and the readable report lines.
#include "case_name.h"
#include "peer_link.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <sys/stat.h>


using namespace xfertest;
using namespace std::chrono_literals;

namespace {

constexpr int toolCom = 8;

// The tool on pty pair A (as COM 8), a peer program on pty pair B, a relay
// between the masters.
class ToolLink {
public:
    explicit ToolLink(RelayFaults faults = {}) : m_faults(faults) {}
    ~ToolLink() { m_relay.reset(); }

    // Runs the tool with `args`; its stdout goes to out.txt in the tool's
    // folder. `environment` is put before the command ("KORLINK_COM9=...").
    PeerProcess &startTool(const std::string &args, const std::string &environment = "") {
        std::string command = "KORLINK_COM" + std::to_string(toolCom) + "=" + m_toolLine.slavePath() + " " +
                              environment + " exec " + XFER_TOOL + " " + args + " > out.txt";
        m_tool = std::make_unique<PeerProcess>(std::vector<std::string>{"/bin/sh", "-c", command},
                                               "/dev/null", m_toolDir.path().string());
        return *m_tool;
    }

    // A peer program on pair B, its output through a pipe.
    PeerProcess &startPeer(const std::vector<std::string> &argv) {
        m_peer = std::make_unique<PeerProcess>(argv, m_peerLine.slavePath(),
                                               m_peerDir.path().string(), true);
        relay(m_peer->outputPipe());
        return *m_peer;
    }

    // Bridges the masters for a peer that uses pair B itself (our own port).
    void connectPeerLine() { relay(m_peerLine.master()); }

    testsupport::PtyPair &peerLine() { return m_peerLine; }
    testsupport::PtyPair &toolLine() { return m_toolLine; }
    const TempDir &toolDir() const { return m_toolDir; }
    const TempDir &peerDir() const { return m_peerDir; }
    std::string output() const { return readText(m_toolDir / "out.txt"); }

private:
    RelayFaults m_faults;
    testsupport::PtyPair m_toolLine;
    testsupport::PtyPair m_peerLine;
    TempDir m_toolDir;
    TempDir m_peerDir;
    std::unique_ptr<PeerProcess> m_peer;
    std::unique_ptr<PeerProcess> m_tool;
    std::unique_ptr<LineRelay> m_relay;

    void relay(int peerOutput) {
        int tool = m_toolLine.master();
        m_relay = std::make_unique<LineRelay>(LineRelay::Side{tool, tool},
                                              LineRelay::Side{peerOutput, m_peerLine.master()}, m_faults);
    }
};

TEST(ToolTest, ReceivesFromSxIntoTheChosenFolderAndName) {
    ToolLink link;
    std::vector<uint8_t> data = patternBytes(3000, 51);
    writeFile(link.peerDir() / "data.bin", data);
    fs::create_directory(link.toolDir().path() / "in");
    PeerProcess &tool = link.startTool("receive --port 8 --protocol xmodem-crc --dir in --name got.bin");
    PeerProcess &peer = link.startPeer({"sx", "-q", "data.bin"});
    EXPECT_EQ(tool.wait(60s), 0) << tool.log();
    EXPECT_EQ(peer.wait(10s), 0) << peer.log();
    EXPECT_TRUE(equalUpToPadding(data, readFile(link.toolDir() / "in/got.bin"), 128));
    std::string output = link.output();
    EXPECT_NE(output.find("Writing got.bin\n"), std::string::npos) << output;
    EXPECT_NE(output.find("End of file (EOT) received\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("Bytes transferred"), std::string::npos) << output;   // not without --verbose
    EXPECT_NE(output.find("\n1 file, 3072 bytes in "), std::string::npos) << output;
    EXPECT_NE(tool.log().find("got.bin: 3072 bytes"), std::string::npos) << tool.log();   // progress
}

TEST(ToolTest, SendsABatchToRb) {
    ToolLink link;
    std::vector<uint8_t> first = patternBytes(1024, 52), second = allByteValues(2);
    writeFile(link.toolDir() / "one.bin", first);
    writeFile(link.toolDir() / "two.bin", second);
    PeerProcess &peer = link.startPeer({"rb", "-q"});
    PeerProcess &tool = link.startTool("send --port 8 --protocol 108 one.bin two.bin");
    EXPECT_EQ(tool.wait(60s), 0) << tool.log() << link.output();
    EXPECT_EQ(peer.wait(10s), 0) << peer.log();
    EXPECT_EQ(readFile(link.peerDir() / "one.bin"), first);
    EXPECT_EQ(readFile(link.peerDir() / "two.bin"), second);
    EXPECT_NE(link.output().find("Files queued: 2\n"), std::string::npos) << link.output();
    EXPECT_NE(link.output().find("\n2 files, 1536 bytes in "), std::string::npos) << link.output();
}

// Every refusal and failure is one line on stderr that names the thing and
// the reason, with the meaning of a code and not only its number. A refused
// command line exits 2, a line or transfer that failed 1.
constexpr int refused = 2, failed = 1;

struct MessageCase {
    const char *name;
    std::string args;
    std::string environment;
    std::string expected;     // in the one line on stderr
    int exitStatus = refused;
};

std::ostream &operator<<(std::ostream &out, const MessageCase &c) { return out << c.name; }

class ToolMessageTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ToolMessageTest, FailsWithOneLineNamingTheReason) {
    const MessageCase &c = GetParam();
    ToolLink link;
    fs::create_directory(link.toolDir().path() / "folder");
    PeerProcess &tool = link.startTool(c.args, c.environment);
    EXPECT_EQ(tool.wait(30s), c.exitStatus);
    std::string log = tool.log();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_NE(log.find(c.expected), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ToolMessageTest,
    ::testing::Values(
        MessageCase{"no_command", "", "", "missing command"},
        MessageCase{"port_not_a_number", "send --port abc --protocol 106 x", "", "'abc' is not a port number"},
        MessageCase{"protocol_missing", "receive --port 8", "", "--protocol is missing (one of "},
        MessageCase{"name_for_a_batch", "send --port 8 --protocol 108 --name x a b", "", "--name names one file; 2 were"},
        MessageCase{"protocol_unknown", "send --port 8 --protocol 101 x", "", "'101' is not one of"},
        MessageCase{"no_file", "send --port 8 --protocol 106", "", "send needs at least one FILE"},
        MessageCase{"unknown_option", "receive --port 8 --protocol 106 --bogus 1", "", "unknown option --bogus"},
        MessageCase{"folder_to_send", "send --port 8 --protocol 108 folder", "", "folder: is a folder"},
        MessageCase{"missing_file", "send --port 8 --protocol 108 nothing.bin", "",
                    "nothing.bin: No such file or directory"},
        MessageCase{"missing_device", "receive --port 9 --protocol 106", "KORLINK_COM9=/dev/korlink-none",
                    "cannot open /dev/korlink-none: No such file or directory (code -117)", failed},
        MessageCase{"missing_receive_folder", "receive --port 8 --protocol 106 --dir nowhere", "",
                    "nowhere: cannot receive into this folder: No such file or directory", failed},
        MessageCase{"no_sender", "receive --port 8 --protocol 106 --timeout 60 --retries 2", "",
                    "receive failed: no answer from the other side (code 4016)", failed}),
    testsupport::CaseName());

TEST(ToolTest, HelpAndVersion) {
    ToolLink link;
    EXPECT_EQ(link.startTool("--help").wait(10s), 0);
    EXPECT_NE(link.output().find("109 or ymodem-g"), std::string::npos) << link.output();
    EXPECT_EQ(link.startTool("--version").wait(10s), 0);
    EXPECT_EQ(link.output(), std::string("korlink-xfer ") + XFER_VERSION + "\n");
}

// A receiver that takes every block but never confirms the end of file (as
// rx may lose its last ACK as it exits): the send succeeds within a few
// seconds, with a note that the end went unanswered.
TEST(ToolTest, SendWithoutTheEndConfirmedSucceedsWithANote) {
    ToolLink link;
    writeFile(link.toolDir() / "data.bin", patternBytes(300, 54));
    PeerProcess &tool = link.startTool("send --port 8 --protocol 106 --timeout 100 --retries 2 data.bin");
    testsupport::PtyPair &line = link.toolLine();
    line.send(std::string("C"));
    for (int block = 0; block < 3; ++block) {
        EXPECT_EQ(line.receive(133, 5s).size(), 133u);
        line.send(std::string(1, ACK));
    }
    EXPECT_EQ(tool.wait(10s), 0);
    EXPECT_NE(tool.log().find("note: data.bin: every block acknowledged; the receiver did not confirm the end"),
              std::string::npos) << tool.log();
}

// A sender that stops half way: the receive fails and names the partial
// file it kept, with its size.
TEST(ToolTest, ReceiveEndingEarlyNamesThePartialFile) {
    RelayFaults faults;
    faults.dropFrom = 3 * 133;   // blocks 1 to 3 arrive, nothing after them
    faults.dropTo = 1 << 30;
    ToolLink link(faults);
    writeFile(link.peerDir() / "data.bin", patternBytes(3000, 55));
    PeerProcess &tool = link.startTool("receive --port 8 --protocol 106 --timeout 200 --retries 2 --name part.bin");
    PeerProcess &peer = link.startPeer({"sx", "-q", "data.bin"});
    EXPECT_EQ(tool.wait(30s), 1);
    peer.wait(1s);
    EXPECT_NE(tool.log().find("partial file kept: part.bin (384 bytes)"), std::string::npos) << tool.log();
    EXPECT_EQ(readFile(link.toolDir() / "part.bin").size(), 384u);
}

// YMODEM-G has no lrzsz receiver: our own send and the tool's receive meet.
TEST(ToolTest, StreamingBatchBetweenOurSendAndTheToolsReceive) {
    ToolLink link;
    std::vector<uint8_t> first = patternBytes(50000, 53), second = allByteValues(4);
    writeFile(link.peerDir() / "big.bin", first);
    writeFile(link.peerDir() / "values.bin", second);
    auto fileTime = fs::last_write_time(link.peerDir() / "big.bin") - std::chrono::hours(24 * 400);
    fs::last_write_time(link.peerDir() / "big.bin", fileTime);
    fs::create_directory(link.toolDir().path() / "in");
    PeerProcess &tool = link.startTool("receive --port 8 --protocol ymodem-g --dir in");
    link.connectPeerLine();
    link.peerLine().exposeAs(testCom);
    PortHandle port = COMMWinInit(testCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(fqueue(6, (link.peerDir() / "big.bin").c_str()), 0);
    ASSERT_EQ(fqueue(6, (link.peerDir() / "values.bin").c_str()), 0);
    StatusRecorder::instance().clear();
    EXPECT_EQ(fsend(port, 6, KORLINK_PROTO_YMODEM, 4096, StatusRecorder::callback, 0), 0);
    COMMPortDeinit(port, 0);
    EXPECT_EQ(tool.wait(30s), 0) << tool.log() << link.output();
    EXPECT_TRUE(StatusRecorder::instance().contains(KORLINK_STATUS_RECOGNISED, KORLINK_PROTO_YMODEM_G));
    EXPECT_EQ(readFile(link.toolDir() / "in/big.bin"), first);
    EXPECT_EQ(readFile(link.toolDir() / "in/values.bin"), second);
    // The header carries the time as the sender's clock showed it then.
    struct stat source {};
    ASSERT_EQ(stat((link.peerDir() / "big.bin").c_str(), &source), 0);
    struct tm local {};
    localtime_r(&source.st_mtime, &local);
    auto received = fs::last_write_time(link.toolDir() / "in/big.bin");
    auto shift = std::chrono::duration_cast<std::chrono::seconds>(received - fileTime).count();
    EXPECT_LE(std::abs(shift - local.tm_gmtoff), 1) << shift;
    std::string output = link.output();
    EXPECT_NE(output.find("\n2 files, 51024 bytes in "), std::string::npos) << output;
    EXPECT_EQ(output.find("File name: \n"), std::string::npos) << output;   // the batch end is no file
}

}  // namespace
