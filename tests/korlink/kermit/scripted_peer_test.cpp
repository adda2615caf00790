// Kermit against a scripted peer on a pty pair: what the library makes of
// the peer's Send-Init, how it encodes data, and how a receive deals with
// repeated, malformed, cancelled and aborted transfers.
#include "case_name.h"
#include "kermit_script.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

#include <thread>

using namespace kermittest;
using namespace xfertest;

namespace {

// ------------------------------------------------------------ sending

struct NegotiationCase {
    const char *name;
    std::string init;        // the peer's answer to our Send-Init
    std::string file;        // the one file sent
    intptr_t maxlInUse;
    intptr_t eolInUse;
    std::string data;        // the D packet the peer must see
    bool parity = false;     // the port is set to even parity first
};

std::ostream &operator<<(std::ostream &out, const NegotiationCase &c) { return out << c.name; }

class KermitNegotiationTest : public ::testing::TestWithParam<NegotiationCase> {};

// The library sends one file to a scripted receiver; every packet carries a
// type-1 check and ends with the EOL the peer asked for.
TEST_P(KermitNegotiationTest, PeerParametersShapeThePackets) {
    const NegotiationCase &c = GetParam();
    OpenPort port;
    if (c.parity) COMMDataFormatSet(port.handle(), KORLINK_ITEM_PARITY, KORLINK_PARITY_EVEN);
    TempDir dir;
    writeFile(dir / "four.bin", std::vector<uint8_t>(c.file.begin(), c.file.end()));
    ASSERT_EQ(fqueue(5, (dir / "four.bin").c_str()), 0);
    int16_t result = -99;
    std::thread sender(
        [&] { result = fsend(port.handle(), 5, KORLINK_PROTO_KERMIT, 4096, StatusRecorder::callback, 0); });

    auto expect = [&](char type, int seq, char eol) {
        std::optional<Packet> packet = readPacket(port.line());
        EXPECT_TRUE(packet && packet->type == type && packet->seq == seq) << "expected " << type << seq;
        if (!packet) return Packet{};
        EXPECT_TRUE(packet->checkOk) << type;
        EXPECT_EQ(packet->eol, eol) << type;
        return *packet;
    };
    Packet init = expect('S', 0, '\r');
    ASSERT_GE(init.data.size(), 9u);
    EXPECT_EQ(init.data[6], c.parity ? '&' : 'Y');   // eighth-bit prefix offered
    EXPECT_EQ(init.data[7], '3');   // check type offered: the strongest
    port.line().send(makePacket('Y', 0, c.init));
    char eol = static_cast<char>(c.eolInUse);
    EXPECT_EQ(expect('F', 1, eol).data, "four.bin");
    port.line().send(makePacket('Y', 1, ""));
    EXPECT_EQ(expect('D', 2, eol).data, c.data);
    port.line().send(makePacket('Y', 2, ""));
    expect('Z', 3, eol);
    port.line().send(makePacket('Y', 3, ""));
    expect('B', 4, eol);
    port.line().send(makePacket('Y', 4, ""));
    sender.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(COMMKermitGet(port.handle(), KORLINK_KERMIT_USED_MAXL), c.maxlInUse);
    EXPECT_EQ(COMMKermitGet(port.handle(), KORLINK_KERMIT_USED_EOL), c.eolInUse);
    EXPECT_EQ(COMMKermitGet(port.handle(), KORLINK_KERMIT_USED_CHKT), '1');
}

INSTANTIATE_TEST_SUITE_P(
    Peer, KermitNegotiationTest,
    ::testing::Values(
        NegotiationCase{"four_a_go_out_repeated", defaultInit(), "AAAA", 94, 13, "~$A"},
        NegotiationCase{"maxl_120_taken_as_80", std::string(1, char(120 + 32)) + "* @-#Y1~", "AAAA",
                        80, 13, "~$A"},
        // Without the later fields there is no EOL (CR) and no repeat prefix.
        NegotiationCase{"no_eol_field_gives_cr", "~* @", "AAAA", 94, 13, "AAAA"},
        NegotiationCase{"eol_lf_is_used", "~* @*#Y1~", "ab", 94, 10, "ab"},
        NegotiationCase{"check_type_2_asked_type_1_used", "~* @-#Y2~", "\x01\x80x#", 94, 13,
                        "#A#\xC0x##"},
        NegotiationCase{"eighth_bit_prefix_agreed", "~* @-#&1~", "\x81&~~~~~", 94, 13,
                        "&#A#&~%#~"},
        // With parity this side asks for '&'; the peer's 'Y' grants it.
        NegotiationCase{"parity_line_asks_for_eighth_bit_prefix", defaultInit(), "\x81\xC1", 94, 13,
                        "&#A&A", true}),
    testsupport::CaseName());

// ---------------------------------------------------------- receiving

// The receiving side's settings and the files already in its folder.
struct Setup {
    bool keepPartial = false;
    bool rename = false;
    const char *fixedName = nullptr;
    std::vector<std::string> existing;   // each holds "old" and must keep it
};

struct ReceiveCase {
    const char *name;
    std::string init;
    Setup setup;
    std::vector<Step> steps;     // after the Send-Init exchange
    int16_t lastError;
    std::string fileName;
    std::optional<std::string> content;   // nothing: the file must not exist
};

std::ostream &operator<<(std::ostream &out, const ReceiveCase &c) { return out << c.name; }

class KermitScriptedReceiveTest : public ::testing::TestWithParam<ReceiveCase> {};

TEST_P(KermitScriptedReceiveTest, ReceiveEndsAsScripted) {
    const ReceiveCase &c = GetParam();
    OpenPort port;
    TempDir parent;
    fs::path folder = parent.path() / "in";
    fs::create_directory(folder);
    ScopedWorkingDir workDir(folder);
    ASSERT_EQ(COMMKermitSet(port.handle(), KORLINK_KERMIT_KEEP_PARTIAL, c.setup.keepPartial), 0);
    ASSERT_EQ(COMMKermitSet(port.handle(), KORLINK_KERMIT_RENAME, c.setup.rename), 0);
    ASSERT_EQ(
        COMMKermitSet(port.handle(), KORLINK_KERMIT_FILE_NAME, reinterpret_cast<intptr_t>(c.setup.fixedName)), 0);
    for (const std::string &name : c.setup.existing) writeFile(folder / name, {'o', 'l', 'd'});
    int16_t result = -99;
    std::thread receiver(
        [&] { result = freceive(port.handle(), KORLINK_PROTO_KERMIT, 4096, StatusRecorder::callback, 0); });

    // The receive discards what came before it started: offer the
    // Send-Init until it is answered.
    std::optional<Packet> answer;
    for (int attempt = 0; attempt < 20 && !(answer && answer->type == 'Y'); ++attempt) {
        port.line().send(makePacket('S', 0, c.init));
        answer = readPacket(port.line(), std::chrono::milliseconds(1000));
    }
    ASSERT_TRUE(answer && answer->type == 'Y' && answer->seq == 0);
    EXPECT_EQ(answer->data.substr(6, 2), "Y1");   // no eighth-bit request, type 1
    playSteps(port, c.steps);
    receiver.join();
    EXPECT_EQ(result, c.lastError == 0 ? 0 : -1);
    EXPECT_EQ(COMMErrnoGet(port.handle()), c.lastError);
    if (c.content) {
        EXPECT_EQ(readText(folder / c.fileName), *c.content);
    } else {
        EXPECT_FALSE(fs::exists(folder / c.fileName));
    }
    for (const std::string &name : c.setup.existing) EXPECT_EQ(readText(folder / name), "old") << name;
    // Nothing lands outside the receive folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(parent.path()), fs::directory_iterator()), 1);
}

std::vector<Step> fileThenAbc(const std::string &name) {
    return {send('F', 1, name), expect('Y', 1), send('D', 2, "abc"), expect('Y', 2)};
}

std::vector<Step> endsAt(int seq) {
    return {send('Z', seq), expect('Y', seq), send('B', seq + 1), expect('Y', seq + 1)};
}

// The packet with its check character (before the CR) changed.
std::string withBadCheck(std::string packet) {
    char &check = packet[packet.size() - 2];
    check = check == '!' ? '"' : '!';
    return packet;
}

const std::string qbinInit = "~* @-#&1~";

INSTANTIATE_TEST_SUITE_P(
    Peer, KermitScriptedReceiveTest,
    ::testing::Values(
        ReceiveCase{"repeated_data_packet_written_once", defaultInit(), {},
                    fileThenAbc("once.bin") + std::vector<Step>{send('D', 2, "abc"), expect('Y', 2),
                                                                send('D', 3, "def"), expect('Y', 3)} +
                        endsAt(4),
                    0, "once.bin", "abcdef"},
        ReceiveCase{"prefixes_decoded", qbinInit, {},
                    std::vector<Step>{send('F', 1, "p.bin"), expect('Y', 1), send('D', 2, "~$A#M#J&#A###&#~&b"),
                     expect('Y', 2)} + endsAt(3),
                    0, "p.bin", "AAAA\r\n\x81#&~\xE2"},
        ReceiveCase{"cancel_removes_partial_file", defaultInit(), {},
                    fileThenAbc("part.bin") + std::vector<Step>{cancel(), expect('E', 3, "User intervention"),
                                                                send('Y', 3)},
                    KORLINK_E_CANCELLED, "part.bin", std::nullopt},
        ReceiveCase{"cancel_keeps_partial_file_with_item_204", defaultInit(), {.keepPartial = true, .existing = {}},
                    fileThenAbc("part.bin") + std::vector<Step>{cancel(), expect('E', 3), send('Y', 3)},
                    KORLINK_E_CANCELLED, "part.bin", "abc"},
        ReceiveCase{"abort_packet_keeps_partial_file", defaultInit(), {},
                    fileThenAbc("part.bin") + std::vector<Step>{send('A', 3)}, KORLINK_STATUS_KERMIT_ABORT,
                    "part.bin", "abc"},
        ReceiveCase{"error_packet_ends_receive", defaultInit(), {},
                    fileThenAbc("part.bin") + std::vector<Step>{send('E', 3, "Disk full"), expect('Y', 3)},
                    KORLINK_STATUS_REMOTE_CANCEL, "part.bin", "abc"},
        ReceiveCase{"name_with_directories_stays_in_folder", defaultInit(), {},
                    fileThenAbc("../../#Jup/../outside.bin") + endsAt(3), 0, "outside.bin", "abc"},
        ReceiveCase{"repeat_count_past_packet_end_refused", defaultInit(), {},
                    std::vector<Step>{send('F', 1, "r.bin"), expect('Y', 1), send('D', 2, "ab~"),
                                      expect('N', 2),
                     send('D', 2, std::string("~") + char(32 + 95) + "x"), expect('N', 2),
                     send('D', 2, "ab#"), expect('N', 2), send('D', 2, "ab"), expect('Y', 2)} +
                        endsAt(3),
                    0, "r.bin", "ab"},
        // A packet with a wrong check or a length past 94 is refused; one
        // cut short by the next packet's mark is dropped and the next
        // packet is read whole.
        ReceiveCase{"corrupted_and_cut_packets", defaultInit(), {},
                    std::vector<Step>{send('F', 1, "c.bin"), expect('Y', 1),
                                      raw(withBadCheck(makePacket('D', 2, "ab"))), expect('N', 2),
                                      raw("\x01\xFF" + std::string(200, 'A')), expect('N', 2),
                                      raw("\x01L\"Dab"), send('D', 2, "ab"), expect('Y', 2)} +
                        endsAt(3),
                    0, "c.bin", "ab"},
        ReceiveCase{"silent_sender_partial_file_removed", "~! @-#Y1~", {},
                    fileThenAbc("part.bin") + std::vector<Step>{expect('N', 3), expect('N', 3), expect('N', 3),
                                                                expect('N', 3), expect('N', 3)},
                    KORLINK_STATUS_TIMEOUT, "part.bin", std::nullopt},
        ReceiveCase{"existing_name_renamed", defaultInit(), {.rename = true, .existing = {"dup.bin"}},
                    fileThenAbc("dup.bin") + endsAt(3), 0, "dup.DL0", "abc"},
        ReceiveCase{"no_free_name_refused", defaultInit(),
                    {.rename = true,
                     .existing = {"dup.bin", "dup.DL0", "dup.DL1", "dup.DL2", "dup.DL3", "dup.DL4",
                                  "dup.DL5", "dup.DL6", "dup.DL7", "dup.DL8", "dup.DL9"}},
                    {send('F', 1, "dup.bin"), expect('E', 1)}, KORLINK_STATUS_FILE_FAILED, "dup.bin", "old"},
        ReceiveCase{"host_fixed_name", defaultInit(), {.fixedName = "fixed.out", .existing = {}},
                    fileThenAbc("../sent.bin") + endsAt(3), 0, "fixed.out", "abc"},
        // A second file would overwrite the first under the one fixed name.
        ReceiveCase{"host_fixed_name_refuses_a_second_file", defaultInit(), {.fixedName = "fixed.out", .existing = {}},
                    fileThenAbc("a.bin") + std::vector<Step>{send('Z', 3), expect('Y', 3), send('F', 4, "b.bin"),
                                                             expect('E', 4)},
                    4104, "fixed.out", "abc"},
        // Names with nothing usable left are stored as "unnamed" (renamed past
        // an existing one) and the batch goes on with the next file.
        ReceiveCase{"dot_dot_name_stored_as_unnamed", defaultInit(), {.existing = {"unnamed"}},
                    fileThenAbc("..") + endsAt(3), 0, "unnamed.DL0", "abc"},
        ReceiveCase{"empty_name_stored_as_unnamed_and_batch_goes_on", defaultInit(), {},
                    fileThenAbc("") + std::vector<Step>{send('Z', 3), expect('Y', 3), send('F', 4, "next.bin"),
                                                        expect('Y', 4), send('D', 5, "xyz"), expect('Y', 5)} +
                        endsAt(6),
                    0, "next.bin", "xyz"}),
    testsupport::CaseName());

}  // namespace
