#include "port_fixture.h"
#include "wait_until.h"

#include <poll.h>

namespace porttest {

namespace {

std::function<int()> g_step;
int g_pumpCalls = 0;

int testPump() {
    ++g_pumpCalls;
    return g_step ? g_step() : 0;
}

void captureReport(const char *title, const char *text) { reports().push_back({title, text}); }

}  // namespace

std::vector<Report> &reports() {
    static std::vector<Report> all;
    return all;
}

void installPump(std::function<int()> step) {
    g_step = std::move(step);
    g_pumpCalls = 0;
    COMMPumpHookSet(testPump);
}

void removePump() {
    COMMPumpHookSet(nullptr);
    g_step = nullptr;
}

int pumpCalls() { return g_pumpCalls; }

void PortTest::SetUp() {
    m_pty = std::make_unique<testsupport::PtyPair>();
    m_pty->exposeAs(kTestCom);
    reports().clear();
    COMMReportHookSet(captureReport);
    m_port = COMMWinInit(kTestCom, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    ASSERT_NE(m_port, nullptr);
    COMMPortSet(m_port, KORLINK_PORT_REPORT_SWITCH, 1);  // a test may have switched reports off
}

void PortTest::TearDown() {
    removePump();
    if (m_port != nullptr) COMMPortDeinit(m_port, 0);
    COMMPortsDeinitAll();
    COMMReportHookSet(nullptr);
    m_pty.reset();
}

void PortTest::peerSends(const std::string &bytes) {
    m_pty->send(bytes);
    // The pty hands bytes over asynchronously; wait until all are readable.
    testsupport::waitUntil([&] { return c_rxcount(m_port) >= static_cast<int>(bytes.size()); },
                           std::chrono::seconds(1));
}

std::string PortTest::peerReceives(size_t count, int timeoutMs) {
    return m_pty->receive(count, std::chrono::milliseconds(timeoutMs));
}

bool PortTest::peerHasData() {
    pollfd entry{m_pty->master(), POLLIN, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN);
}

}  // namespace porttest
