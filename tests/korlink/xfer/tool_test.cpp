// korlink-xfer as a technician runs it: against lrzsz over relayed ptys, with
// its exit status and the readable report lines.
#include "peer_link.h"

#include <gtest/gtest.h>


using namespace xfertest;
using namespace std::chrono_literals;

namespace {

constexpr int toolCom = 8;

// The tool on pty pair A (as COM 8), a peer program on pty pair B, a relay
// between the masters.
class ToolLink {
public:
    ~ToolLink() { m_relay.reset(); }

    // Runs the tool with `args`; its stdout goes to out.txt in the tool's folder.
    PeerProcess &startTool(const std::string &args) {
        std::string command = "KORLINK_COM" + std::to_string(toolCom) + "=" + m_toolLine.slavePath() +
                              " exec " + XFER_TOOL + " " + args + " > out.txt";
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
    const TempDir &toolDir() const { return m_toolDir; }
    const TempDir &peerDir() const { return m_peerDir; }
    std::string output() const { return readText(m_toolDir / "out.txt"); }

private:
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
                                              LineRelay::Side{peerOutput, m_peerLine.master()});
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
}

TEST(ToolTest, FailsWhenNoSenderAnswers) {
    ToolLink link;
    PeerProcess &tool = link.startTool("receive --port 8 --protocol 106 --timeout 60 --retries 2");
    EXPECT_EQ(tool.wait(30s), 1);
    EXPECT_NE(link.output().find("Time-out, retry 2\nEnd of transfer\n"), std::string::npos)
        << link.output();
    EXPECT_NE(tool.log().find("receive failed"), std::string::npos) << tool.log();
}

TEST(ToolTest, RefusesBadCommandLinesWithOneLine) {
    ToolLink link;
    for (const char *args : {"", "receive --protocol 106", "send --port 8 --protocol 104 x",
                             "send --port 8 --protocol 106", "receive --port 8 --protocol 106 --bogus 1"}) {
        PeerProcess &tool = link.startTool(args);
        EXPECT_EQ(tool.wait(10s), 1) << args;
        std::string log = tool.log();
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << args << ": " << log;
    }
    PeerProcess &help = link.startTool("--help");
    EXPECT_EQ(help.wait(10s), 0);
    EXPECT_NE(link.output().find("Usage:"), std::string::npos);
}

// YMODEM-G has no lrzsz receiver: our own send and the tool's receive meet.
TEST(ToolTest, StreamingBatchBetweenOurSendAndTheToolsReceive) {
    ToolLink link;
    std::vector<uint8_t> first = patternBytes(50000, 53), second = allByteValues(4);
    writeFile(link.peerDir() / "big.bin", first);
    writeFile(link.peerDir() / "values.bin", second);
    fs::create_directory(link.toolDir().path() / "in");
    PeerProcess &tool = link.startTool("receive --port 8 --protocol ymodem-g --dir in");
    link.connectPeerLine();
    link.peerLine().exposeAs(testCom);
    PortHandle port = COMMWinInit(testCom, 9600, 8, 0, 1, 32000, 512);
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(fqueue(6, (link.peerDir() / "big.bin").c_str()), 0);
    ASSERT_EQ(fqueue(6, (link.peerDir() / "values.bin").c_str()), 0);
    StatusRecorder::instance().clear();
    EXPECT_EQ(fsend(port, 6, 108, 4096, StatusRecorder::callback, 0), 0);
    COMMPortDeinit(port, 0);
    EXPECT_EQ(tool.wait(30s), 0) << tool.log() << link.output();
    EXPECT_TRUE(StatusRecorder::instance().contains(105, 109));
    EXPECT_EQ(readFile(link.toolDir() / "in/big.bin"), first);
    EXPECT_EQ(readFile(link.toolDir() / "in/values.bin"), second);
}

}  // namespace
