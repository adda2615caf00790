// Interoperation with independent implementations: lrzsz (sx, sb, rx, rb)
// and the Python XMODEM module, each on its own pty behind a relay.
#include "case_name.h"
#include "peer_link.h"
#include "wait_until.h"

#include <gtest/gtest.h>

using namespace xfertest;
using namespace std::chrono_literals;

namespace {

constexpr auto peerLimit = 60s;

struct ReceiveCase {
    const char *name;
    std::vector<std::string> sender;   // peer command; the file name is appended
    int16_t protocol;
    size_t size;
    size_t paddingBlock;               // the sender pads its last block to this
};

std::ostream &operator<<(std::ostream &out, const ReceiveCase &c) { return out << c.name; }

class PeerSendsTest : public ::testing::TestWithParam<ReceiveCase> {};

// A single file from a plain XMODEM sender: the data arrives whole, followed
// only by the sender's padding.
TEST_P(PeerSendsTest, FileArrivesIntactUpToPadding) {
    const ReceiveCase &c = GetParam();
    PeerLink link;
    std::vector<uint8_t> data = patternBytes(c.size, 11);
    writeFile(link.peerDir() / "image.bin", data);
    std::vector<std::string> argv = c.sender;
    argv.push_back("image.bin");
    PeerProcess &peer = link.startPeer(argv);
    ScopedWorkingDir workDir(link.ourDir().path());
    EXPECT_EQ(freceive(link.handle(), c.protocol, 4096, StatusRecorder::callback, 0), 0);
    EXPECT_EQ(COMMErrnoGet(link.handle()), 0);
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    std::vector<uint8_t> received = readFile(link.ourDir() / "temp0000.$$$");
    EXPECT_TRUE(equalUpToPadding(data, received, c.paddingBlock)) << received.size() << " bytes";
}

const std::string python = "/usr/bin/python3";

INSTANTIATE_TEST_SUITE_P(
    Peers, PeerSendsTest,
    ::testing::Values(
        // sx -k sends the tail of a file in 128-byte blocks.
        ReceiveCase{"sx_checksum", {"sx", "-q"}, KORLINK_PROTO_XMODEM, 5000, 128},
        ReceiveCase{"sx_crc", {"sx", "-q"}, KORLINK_PROTO_XMODEM_CRC, 114688, 128},
        ReceiveCase{"sx_1k", {"sx", "-q", "-k"}, KORLINK_PROTO_XMODEM_1K, 70000, 128},
        ReceiveCase{"python_crc", {python, XFER_PEER_SCRIPT, "send"}, KORLINK_PROTO_XMODEM_CRC, 9000, 128},
        ReceiveCase{"python_1k", {python, XFER_PEER_SCRIPT, "send", "--1k"}, KORLINK_PROTO_XMODEM_1K, 9000, 1024}),
    testsupport::CaseName());

// YMODEM batches from sb: every file byte-identical under its own name, one
// of them an exact multiple of 1024 bytes, one empty, one holding all byte
// values.
class BatchFromSbTest : public ::testing::TestWithParam<int16_t> {};

TEST_P(BatchFromSbTest, FilesArriveByteIdentical) {
    PeerLink link;
    std::vector<uint8_t> exact = patternBytes(4096, 12);
    std::vector<uint8_t> values = allByteValues(5);
    values.resize(values.size() + 77, 0x1A);   // ends in bytes that look like padding
    writeFile(link.peerDir() / "exact.bin", exact);
    writeFile(link.peerDir() / "empty.bin", {});
    writeFile(link.peerDir() / "values.bin", values);
    PeerProcess &peer = link.startPeer({"sb", "-q", "exact.bin", "empty.bin", "values.bin"});
    ScopedWorkingDir workDir(link.ourDir().path());
    EXPECT_EQ(freceive(link.handle(), GetParam(), 4096, StatusRecorder::callback, 0), 0);
    EXPECT_EQ(COMMErrnoGet(link.handle()), 0);
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    EXPECT_EQ(readFile(link.ourDir() / "exact.bin"), exact);
    EXPECT_TRUE(fs::exists(link.ourDir() / "empty.bin"));
    EXPECT_EQ(readFile(link.ourDir() / "empty.bin"), std::vector<uint8_t>{});
    EXPECT_EQ(readFile(link.ourDir() / "values.bin"), values);
    EXPECT_TRUE(StatusRecorder::instance().contains(KORLINK_STATUS_FILE_LENGTH, 4096));
}

INSTANTIATE_TEST_SUITE_P(Sb, BatchFromSbTest,
                         ::testing::Values(int16_t{KORLINK_PROTO_YMODEM}, int16_t{KORLINK_PROTO_YMODEM_G}),
                         [](const auto &info) { return info.param == KORLINK_PROTO_YMODEM ? "ymodem" : "ymodem_g"; });

struct SendCase {
    const char *name;
    std::vector<std::string> receiver;   // "OUT" is replaced by the output name
    int16_t protocol;
    size_t size;
    size_t paddingBlock;
};

std::ostream &operator<<(std::ostream &out, const SendCase &c) { return out << c.name; }

class PeerReceivesTest : public ::testing::TestWithParam<SendCase> {};

TEST_P(PeerReceivesTest, FileArrivesIntactUpToPadding) {
    const SendCase &c = GetParam();
    PeerLink link;
    std::vector<uint8_t> data = patternBytes(c.size, 13);
    std::string source = link.ourDir() / "source.bin";
    writeFile(source, data);
    PeerProcess &peer = link.startPeer(c.receiver);
    ASSERT_EQ(fqueue(3, source.c_str()), 0);
    EXPECT_EQ(fsend(link.handle(), 3, c.protocol, 4096, StatusRecorder::callback, 0), 0);
    EXPECT_EQ(COMMErrnoGet(link.handle()), 0);
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    EXPECT_TRUE(equalUpToPadding(data, readFile(link.peerDir() / "out.bin"), c.paddingBlock));
}

INSTANTIATE_TEST_SUITE_P(
    Peers, PeerReceivesTest,
    ::testing::Values(
        SendCase{"rx_checksum", {"rx", "-q", "out.bin"}, KORLINK_PROTO_XMODEM_CRC, 5000, 128},
        SendCase{"rx_crc", {"rx", "-q", "-c", "out.bin"}, KORLINK_PROTO_XMODEM_CRC, 20000, 128},
        SendCase{"rx_1k", {"rx", "-q", "-c", "out.bin"}, KORLINK_PROTO_XMODEM_1K, 20000, 1024},
        SendCase{"python_crc", {python, XFER_PEER_SCRIPT, "recv", "out.bin"}, KORLINK_PROTO_XMODEM_CRC, 9000, 128},
        SendCase{"python_checksum", {python, XFER_PEER_SCRIPT, "recv", "out.bin", "--checksum"},
                 KORLINK_PROTO_XMODEM, 3000, 128},
        SendCase{"python_1k", {python, XFER_PEER_SCRIPT, "recv", "out.bin"}, KORLINK_PROTO_XMODEM_1K, 9000, 1024}),
    testsupport::CaseName());

// A batch to rb, an empty file among them: each arrives byte-identical.
TEST(BatchToRbTest, FilesArriveByteIdentical) {
    PeerLink link;
    std::vector<uint8_t> exact = patternBytes(2048, 14);
    std::vector<uint8_t> values = allByteValues(3);
    std::string exactPath = link.ourDir() / "exact.bin";
    std::string emptyPath = link.ourDir() / "empty.bin";
    std::string valuesPath = link.ourDir() / "values.bin";
    writeFile(exactPath, exact);
    writeFile(emptyPath, {});
    writeFile(valuesPath, values);
    PeerProcess &peer = link.startPeer({"rb", "-q"});
    for (const std::string &path : {exactPath, emptyPath, valuesPath}) ASSERT_EQ(fqueue(4, path.c_str()), 0);
    EXPECT_EQ(fsend(link.handle(), 4, KORLINK_PROTO_YMODEM, 4096, StatusRecorder::callback, 0), 0);
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    EXPECT_EQ(readFile(link.peerDir() / "exact.bin"), exact);
    EXPECT_TRUE(fs::exists(link.peerDir() / "empty.bin"));
    EXPECT_EQ(readFile(link.peerDir() / "empty.bin"), std::vector<uint8_t>{});
    EXPECT_EQ(readFile(link.peerDir() / "values.bin"), values);
    EXPECT_EQ(StatusRecorder::instance().paramsOf(KORLINK_STATUS_SEND_START), (std::vector<intptr_t>{3}));
}

TEST(BackgroundSendTest, SendsToRxWhileTheHandleIsLocked) {
    PeerLink link;
    std::vector<uint8_t> data = patternBytes(30000, 15);
    std::string source = link.ourDir() / "source.bin";
    writeFile(source, data);
    PeerProcess &peer = link.startPeer({"rx", "-q", "-c", "out.bin"});
    ASSERT_EQ(fqueue(5, source.c_str()), 0);
    ASSERT_EQ(fsend(link.handle(), 5, KORLINK_PROTO_XMODEM_CRC, 4096, StatusRecorder::callback, 1), 0);
    EXPECT_EQ(c_rxflush(link.handle(), 0), KORLINK_E_LOCKED);
    EXPECT_TRUE(
        testsupport::waitUntil([&] { return COMMPortGet(link.handle(), KORLINK_PORT_LOCKED) == 0; }, peerLimit));
    EXPECT_EQ(COMMErrnoGet(link.handle()), 0);
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    EXPECT_TRUE(equalUpToPadding(data, readFile(link.peerDir() / "out.bin"), 128));
    EXPECT_EQ(fsend(link.handle(), 5, KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0), KORLINK_E_FILE);   // used up
}

struct SentNameCase {
    const char *name;
    std::string fileName;
    size_t size;
    bool arrivesWhole;     // false: the name is cut to what fits the header
};
std::ostream &operator<<(std::ostream &out, const SentNameCase &c) { return out << c.name; }

std::string lettersThenExtension(size_t letters) {
    std::string name;
    for (size_t i = 0; i < letters; ++i) name += static_cast<char>('a' + i % 26);
    return name + ".bin";
}

class SentNameTest : public ::testing::TestWithParam<SentNameCase> {};

// The header block holds the name, its NUL and the length: a name too long
// for it is cut from the end, never the length, so rb stores the file under
// the cut name with its exact length.
TEST_P(SentNameTest, RbStoresTheFileWholeUnderTheNameThatFits) {
    const SentNameCase &c = GetParam();
    PeerLink link;
    std::vector<uint8_t> data = patternBytes(c.size, 31);
    std::string source = link.ourDir() / c.fileName;
    writeFile(source, data);
    PeerProcess &peer = link.startPeer({"rb", "-q"});
    ASSERT_EQ(fqueue(4, source.c_str()), 0);
    EXPECT_EQ(fsend(link.handle(), 4, KORLINK_PROTO_YMODEM, 4096, StatusRecorder::callback, 0), 0);
    EXPECT_EQ(peer.wait(peerLimit), 0) << peer.log();
    std::vector<fs::path> stored;
    for (const auto &entry : fs::directory_iterator(link.peerDir().path()))
        if (entry.path().filename() != "peer.log") stored.push_back(entry.path());
    ASSERT_EQ(stored.size(), 1u);
    std::string storedName = stored[0].filename().string();
    if (c.arrivesWhole) {
        EXPECT_EQ(storedName, c.fileName);
    } else {
        EXPECT_LT(storedName.size(), c.fileName.size());
        EXPECT_GE(storedName.size(), 80u) << "more of the name fits the header";
        EXPECT_EQ(c.fileName.compare(0, storedName.size(), storedName), 0) << storedName;
    }
    EXPECT_EQ(readFile(stored[0]), data);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SentNameTest,
    ::testing::Values(SentNameCase{"ShortName", "short.bin", 3000, true},
                      SentNameCase{"NinetyCharactersFit", lettersThenExtension(86), 3000, true},
                      SentNameCase{"HundredTwentyFourCharactersCut", lettersThenExtension(120), 3000, false},
                      SentNameCase{"TwoHundredFiftyCharactersCut", lettersThenExtension(246), 70000, false},
                      SentNameCase{"LongNameEmptyFile", lettersThenExtension(200), 0, false}),
    testsupport::CaseName());

}  // namespace
