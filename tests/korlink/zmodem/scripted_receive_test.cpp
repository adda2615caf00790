// freceive(110) against scripted senders on the library's in-memory line
// and virtual clock: a sender that lies about the length, names that try to
// leave the folder or carry control characters, a planted symbolic link, a
// storm of headers. Each ends with a clear code, nothing lands outside the
// receive folder, and what arrived is kept.
#include "case_name.h"
#include "device/device_memory.h"
#include "frame/clock.h"
#include "korlink.h"
#include "scripted_peer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace korlink;
using namespace zmodemscript;
namespace fs = std::filesystem;

namespace {

constexpr int kCom = 23;

struct Script {
    std::string announcedName;
    std::string announcedInfo;     // after the name's NUL: "length mtime mode"
    std::string data;              // sent in one frame
    uint32_t eofAt = 0;
    bool storm = false;            // answer everything with a ZDATA at a wrong place
    int fileOffers = 0;
};
Script g_script;

// Answers each header the receiver wrote since the last idle step.
void senderStep() {
    MemoryLine &line = memoryLine(kCom);
    OutgoingSource source(line.takeOutgoing());
    ZmodemReader reader(source, 0);
    ZmodemHeader h;
    for (int type; (type = reader.readHeader(h, 1 << 20)) >= 0;) {
        if (g_script.storm) {
            line.feed(binaryHeader(ZmodemHeader::at(ZDATA, 12345)));
        } else if (type == ZRINIT && g_script.fileOffers == 0) {
            ++g_script.fileOffers;
            std::string info = g_script.announcedName + std::string(1, '\0') + g_script.announcedInfo;
            info.push_back('\0');
            line.feed(frame(ZmodemHeader::withFlags(ZFILE, ZCBIN), info, ZCRCW));
        } else if (type == ZRPOS) {
            line.feed(frame(ZmodemHeader::at(ZDATA, h.position()), g_script.data.substr(h.position()), ZCRCE));
            line.feed(binaryHeader(ZmodemHeader::at(ZEOF, g_script.eofAt)));
        } else if (type == ZRINIT) {
            line.feed(binaryHeader(ZmodemHeader::at(ZFIN, 0)));
        } else if (type == ZFIN) {
            line.feed(std::string("OO"));
        }
    }
}

struct ScriptCase {
    const char *name;
    Script script;
    int16_t result;
    int16_t lastError;
    const char *storedAs;          // nullptr: no file expected
    size_t storedLength;
};

std::ostream &operator<<(std::ostream &out, const ScriptCase &c) { return out << c.name; }

class ZmodemScriptedReceiveTest : public ::testing::TestWithParam<ScriptCase> {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("zmodem_scripted." + std::to_string(getpid()));
        m_folder = m_root / "inside";
        fs::create_directories(m_folder);
        fs::current_path(m_folder);
        useMemoryDevices(true);
        useVirtualClock(nullptr);
        m_port = COMMWinInit(kCom, 9600, 8, 0, 1, 8192, 512);
        ASSERT_NE(m_port, nullptr);
        memoryLine(kCom).takeOutgoing();
        COMMZMODEMSet(m_port, KORLINK_ZMODEM_TIMEOUT_MS, 1000);
        COMMZMODEMSet(m_port, KORLINK_ZMODEM_RETRY_LIMIT, 5);
    }
    void TearDown() override {
        if (m_port) COMMPortDeinit(m_port, 0);
        useVirtualClock(nullptr);
        useMemoryDevices(false);
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(m_root);
    }

    fs::path m_root;
    fs::path m_folder;
    PortHandle m_port = nullptr;
};

TEST_P(ZmodemScriptedReceiveTest, EndsWithAClearCodeInsideTheFolder) {
    const ScriptCase &c = GetParam();
    g_script = c.script;
    // A link planted where the sender's file would go must not be followed.
    fs::create_symlink(m_root / "outside.txt", m_folder / "planted.bin");
    useVirtualClock(senderStep);
    EXPECT_EQ(freceive(m_port, KORLINK_PROTO_ZMODEM, 4096, nullptr, 0), c.result);
    EXPECT_EQ(COMMErrnoGet(m_port), c.lastError);
    useVirtualClock(nullptr);
    for (const auto &entry : fs::directory_iterator(m_root))
        EXPECT_EQ(entry.path(), m_folder) << "written outside the folder";
    if (c.storedAs) {
        fs::path stored = m_folder / c.storedAs;
        ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(stored))) << c.storedAs;
        EXPECT_EQ(fs::file_size(stored), c.storedLength);
    }
}

const std::string kData(3000, 'd');

INSTANTIATE_TEST_SUITE_P(
    Senders, ZmodemScriptedReceiveTest,
    ::testing::Values(
        ScriptCase{"honest_sender", {"plain.bin", "3000 0 644", kData, 3000}, 0, 0, "plain.bin", 3000},
        ScriptCase{"length_announced_too_short", {"long.bin", "1000 0 644", kData, 3000}, -1,
                   KORLINK_STATUS_LONG_FILE, "long.bin", 1000},
        ScriptCase{"length_announced_too_long", {"short.bin", "9000 0 644", kData, 3000}, -1,
                   KORLINK_STATUS_SHORT_FILE, "short.bin", 3000},
        ScriptCase{"name_climbs_out", {"../../escape.bin", "3000", kData, 3000}, 0, 0, "escape.bin", 3000},
        ScriptCase{"absolute_name", {"/tmp/abs.bin", "3000", kData, 3000}, 0, 0, "abs.bin", 3000},
        ScriptCase{"control_characters_in_name", {"a\x1b[2J\tb\r.bin", "3000", kData, 3000}, 0, 0, "a[2Jb.bin",
                   3000},
        ScriptCase{"only_dots", {"..", "3000", kData, 3000}, 0, 0, "unnamed", 3000},
        ScriptCase{"planted_symbolic_link", {"planted.bin", "3000", kData, 3000}, 0, 0, "planted.bin", 3000},
        ScriptCase{"header_storm", {"storm.bin", "3000", kData, 3000, true}, -1, KORLINK_STATUS_TIMEOUT, nullptr,
                   0}),
    testsupport::CaseName());

}  // namespace
