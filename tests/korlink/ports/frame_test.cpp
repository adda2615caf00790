// Opening, closing, the port table, port items, last errors and reports.
#include "port_fixture.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

using namespace porttest;

namespace {

bool opens(const char *path) {
    setenv("KORLINK_COM7", path, 1);
    PortHandle port = COMMWinInit(7, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 1024, 512);
    if (port != nullptr) COMMPortDeinit(port, 0);
    return port != nullptr;
}

// The number of descriptors open in this process, to catch leaks.
int openDescriptors() {
    int count = 0;
    for ([[maybe_unused]] auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

}  // namespace

TEST_F(PortTest, NonTerminalsFailLikeMissingDevicesAndLeaveNothingOpen) {
    char file[] = "/tmp/korlink-not-a-tty-XXXXXX";
    int fd = mkstemp(file);
    ASSERT_GE(fd, 0);
    close(fd);
    int before = openDescriptors();
    for (const char *path : {static_cast<const char *>(file), "/dev/null", "/tmp", "/nonexistent/ttyX"}) {
        EXPECT_FALSE(opens(path)) << path;
        EXPECT_EQ(COMMErrnoGet(nullptr), KORLINK_E_DEVICE) << path;
        EXPECT_EQ(COMMErrnoGet(nullptr), 0) << path;
    }
    EXPECT_EQ(openDescriptors(), before);
    unlink(file);
}

TEST_F(PortTest, ComNumbersMapThroughEnvironmentAndLegacyAddresses) {
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_COM), kTestCom);
    testsupport::PtyPair first;
    testsupport::PtyPair second;
    first.exposeAs(1);
    second.exposeAs(10);
    PortHandle legacy = COMMWinInit(1016, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 1024, 512);
    PortHandle ten = COMMWinInit(10, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 1024, 512);
    ASSERT_NE(legacy, nullptr);
    ASSERT_NE(ten, nullptr);
    EXPECT_EQ(COMMPortGet(legacy, KORLINK_PORT_COM), 1);
    EXPECT_EQ(COMMPortGet(ten, KORLINK_PORT_COM), 10);
    // The bytes really go to the devices the variables name.
    EXPECT_EQ(c_putc(legacy, 'a'), 0);
    EXPECT_EQ(c_putc(ten, 'b'), 0);
    EXPECT_EQ(first.receive(1, std::chrono::milliseconds(2000)), "a");
    EXPECT_EQ(second.receive(1, std::chrono::milliseconds(2000)), "b");
    COMMPortDeinit(legacy, 0);
    COMMPortDeinit(ten, 0);
}

TEST_F(PortTest, DeviceIsOpenedExclusively) {
    setenv("KORLINK_COM6", m_pty->slavePath().c_str(), 1);
    EXPECT_EQ(COMMWinInit(6, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 1024, 512), nullptr);
    EXPECT_EQ(COMMErrnoGet(nullptr), KORLINK_E_DEVICE);
    // Once closed it opens again.
    COMMPortDeinit(m_port, 0);
    m_port = COMMWinInit(6, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 1024, 512);
    EXPECT_NE(m_port, nullptr);
}

TEST_F(PortTest, ThirtyThirdOpenFailsAndDeinitAllClosesEveryPort) {
    std::vector<std::unique_ptr<testsupport::PtyPair>> pairs;
    std::vector<PortHandle> ports{m_port};
    for (int com = 11; com < 11 + 32; ++com) {
        pairs.push_back(std::make_unique<testsupport::PtyPair>());
        pairs.back()->exposeAs(com);
        ports.push_back(COMMWinInit(com, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 256, 256));
    }
    for (int i = 0; i < 32; ++i) EXPECT_NE(ports[i], nullptr) << i;
    EXPECT_EQ(ports[32], nullptr);
    EXPECT_EQ(COMMErrnoGet(nullptr), KORLINK_E_DEVICE);
    EXPECT_EQ(COMMPortsDeinitAll(), 0);
    m_port = nullptr;
    // Every slot is free again and no handle is live.
    EXPECT_EQ(COMMPortGet(ports[0], KORLINK_PORT_LOCKED), 1);
    PortHandle again = COMMWinInit(11, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 256, 256);
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(COMMPortsDeinitAll(), 0);
    EXPECT_EQ(COMMPortsDeinitAll(), 0);  // with none open
}

// A port held by a background transfer stays open, and its reference count
// stays what it was.
TEST_F(PortTest, DeinitAllLeavesAHeldPortAsItWas) {
    ASSERT_EQ(COMMPortSet(m_port, KORLINK_PORT_REFERENCES, 2), 0);
    ASSERT_EQ(COMMPortSet(m_port, KORLINK_PORT_BACKGROUND_LOCK, 1), 0);
    EXPECT_EQ(COMMPortsDeinitAll(), 0);
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_REFERENCES), 2);
    ASSERT_EQ(COMMPortSet(m_port, KORLINK_PORT_BACKGROUND_LOCK, 0), 0);
    EXPECT_EQ(c_putc(m_port, 'x'), 0);  // still open
    EXPECT_EQ(peerReceives(1), "x");
}

TEST_F(PortTest, ReferencedPortOnlyLosesAReference) {
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_REFERENCES), 1);
    EXPECT_EQ(COMMPortSet(m_port, KORLINK_PORT_REFERENCES, 2), 0);
    EXPECT_EQ(COMMPortDeinit(m_port, 0), 0);
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_REFERENCES), 1);
    EXPECT_EQ(c_putc(m_port, 'x'), 0);  // still open
    EXPECT_EQ(peerReceives(1), "x");
    EXPECT_EQ(COMMPortDeinit(m_port, 0), 0);
    m_port = nullptr;
}

TEST_F(PortTest, ClosedHandleIsRefusedLikeNull) {
    PortHandle dead = m_port;
    ASSERT_EQ(COMMPortDeinit(m_port, 0), 0);
    m_port = nullptr;
    reports().clear();
    EXPECT_EQ(c_putc(dead, 'x'), KORLINK_E_NULL_PORT);
    EXPECT_EQ(COMMPortDeinit(dead, 0), KORLINK_E_NULL_PORT);
    EXPECT_EQ(COMMErrnoGet(dead), KORLINK_E_NULL_PORT);
    EXPECT_EQ(reports().size(), 3u);
}

TEST_F(PortTest, ArgumentReportsFollowTheSwitch) {
    EXPECT_EQ(c_rxflush(nullptr, 0), KORLINK_E_NULL_PORT);
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_EQ(reports()[0].title, "Quorvelt Reporting Runtime Error");
    EXPECT_EQ(reports()[0].text, "ERROR: BADPARM0. Parameter is NULL\r\nFunction: c_rxflush()");
    EXPECT_EQ(COMMPortGet(m_port, 999), 0);
    EXPECT_EQ(COMMPortSet(m_port, 999, 1), -1);
    ASSERT_EQ(reports().size(), 3u);
    EXPECT_EQ(reports()[2].text, "ERROR: BADPARM1. Parameter 999 is unrecognized\r\nFunction: COMMPortSet()");

    EXPECT_EQ(COMMPortSet(m_port, KORLINK_PORT_REPORT_SWITCH, 0), 0);
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_REPORT_SWITCH), 0);
    EXPECT_EQ(c_waitc(nullptr, -1, 0), KORLINK_E_NULL_PORT);
    EXPECT_EQ(c_puts(m_port, nullptr), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(reports().size(), 3u);
}

TEST(ReportWithoutHook, GoesToStderrAsOneLine) {
    COMMReportHookSet(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(c_getc(nullptr), KORLINK_E_NULL_PORT);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Quorvelt Reporting Runtime Error: ERROR: BADPARM0. Parameter is NULL Function: c_getc()\n");
}

TEST_F(PortTest, PortItemsStoreAndReport) {
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_REGISTERED), 1);
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_ITEM_112), 8);
    EXPECT_GE(COMMPortGet(m_port, KORLINK_PORT_DESCRIPTOR), 0);
    EXPECT_NE(COMMPortGet(m_port, KORLINK_PORT_TERMIOS), 0);
    for (int16_t item : {KORLINK_PORT_COUNTER, KORLINK_PORT_VALUE_104, KORLINK_PORT_VALUE_105, KORLINK_PORT_TERMINAL,
                         KORLINK_PORT_USER, KORLINK_PORT_WINDOW}) {
        EXPECT_EQ(COMMPortSet(m_port, item, 77), 0) << item;
        EXPECT_EQ(COMMPortGet(m_port, item), 77) << item;
    }
    intptr_t wide = static_cast<intptr_t>(0x7ABCDEF012345678LL);
    EXPECT_EQ(COMMPortSet(m_port, KORLINK_PORT_USER, wide), 0);
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_USER), wide);  // pointer-width, not truncated
    EXPECT_EQ(COMMPortGet(m_port, KORLINK_PORT_LOCKED), 0);
    EXPECT_EQ(COMMPortGet(nullptr, KORLINK_PORT_LOCKED), 1);
}
