// The string watch inside c_getc.
#include "case_name.h"
#include "port_fixture.h"

#include <vector>

using namespace porttest;

namespace {

std::vector<int> g_fired;
int16_t g_readInCallback = 0;

int recordSlot(PortHandle, int16_t slot) {
    g_fired.push_back(slot);
    return 40 + slot;
}

// Reads one byte itself: its own slot must not see it.
int readingCallback(PortHandle port, int16_t slot) {
    g_fired.push_back(slot);
    g_readInCallback = c_getc(port);
    return 0;
}

void readAll(PortHandle port) {
    while (c_getc(port) >= 0) {}
}

}  // namespace

class WatchTest : public PortTest {
protected:
    void SetUp() override {
        PortTest::SetUp();
        g_fired.clear();
    }
};

TEST_F(WatchTest, FiresOnOKButNotAfterAFalseStart) {
    EXPECT_EQ(COMMWatchCheck(m_port), 0);
    EXPECT_EQ(COMMWatchSet(m_port, "OK", 2, recordSlot), 0);
    peerSends("OK");
    readAll(m_port);
    EXPECT_EQ(g_fired, std::vector<int>{0});
    peerSends("OOK");
    readAll(m_port);
    EXPECT_EQ(g_fired, std::vector<int>{0});
    peerSends("xOKOK");
    readAll(m_port);
    EXPECT_EQ(g_fired, (std::vector<int>{0, 0, 0}));
    // Bytes taken without c_getc pass no watch.
    peerSends("OK");
    c_rxflush(m_port, 0);
    EXPECT_EQ(g_fired.size(), 3u);
}

TEST_F(WatchTest, SlotsFillUpAndLongTextsAreCut) {
    EXPECT_EQ(COMMWatchSet(m_port, "CONNECT 9600", 12, recordSlot), 0);
    EXPECT_EQ(COMMWatchSet(m_port, "BUSY", 4, recordSlot), 1);
    EXPECT_EQ(COMMWatchSet(m_port, "RING", 4, recordSlot), 2);
    EXPECT_EQ(COMMWatchSet(m_port, "NO", 2, recordSlot), 3);
    EXPECT_EQ(COMMWatchSet(m_port, "ERROR", 5, recordSlot), KORLINK_E_NO_MEMORY);

    peerSends("CONNECT 96");
    readAll(m_port);
    EXPECT_EQ(g_fired, std::vector<int>{0});
    EXPECT_EQ(COMMWatchSet(m_port, "CONNECT 9600", 12, nullptr), -1);
    EXPECT_EQ(COMMWatchSet(m_port, "CONNECT 9600", 10, nullptr), 0);
    EXPECT_EQ(COMMWatchSet(m_port, "ERROR", 5, recordSlot), 0);  // the freed slot
    EXPECT_EQ(COMMWatchSet(m_port, nullptr, 5, recordSlot), KORLINK_E_BAD_ARG2);
}

TEST_F(WatchTest, CheckReturnsTheLastCallbackResult) {
    COMMWatchSet(m_port, "A", 1, recordSlot);
    COMMWatchSet(m_port, "A", 1, recordSlot);
    COMMWatchUpdate(m_port, 'A');
    EXPECT_EQ(COMMWatchCheck(m_port), 41);
    EXPECT_EQ(g_fired, (std::vector<int>{0, 1}));
    EXPECT_EQ(COMMWatchCheck(m_port), 0);  // positions start over
}

TEST_F(WatchTest, CallbackReadsDoNotFeedItsOwnSlot) {
    COMMWatchSet(m_port, "XX", 2, readingCallback);
    peerSends("XXXX");
    EXPECT_EQ(c_getc(m_port), 'X');
    EXPECT_EQ(c_getc(m_port), 'X');  // fires; the callback takes the third X
    EXPECT_EQ(g_readInCallback, 'X');
    EXPECT_EQ(c_getc(m_port), 'X');  // the fourth: the slot starts over
    EXPECT_EQ(g_fired, std::vector<int>{0});
}

// Bytes fed after a text is complete, before COMMWatchCheck runs, are not
// compared with what lies past the text's end: the match stays for the check.
struct TrailCase {
    const char *name;
    std::string bytes;   // fed after the completed text
};

void PrintTo(const TrailCase &c, std::ostream *out) { *out << c.name; }

class WatchAfterMatch : public WatchTest, public ::testing::WithParamInterface<TrailCase> {};

TEST_P(WatchAfterMatch, CompletedTextStillFiresAtTheCheck) {
    COMMWatchSet(m_port, "OK", 2, recordSlot);
    for (char byte : std::string("OK") + GetParam().bytes) COMMWatchUpdate(m_port, static_cast<unsigned char>(byte));
    EXPECT_EQ(COMMWatchCheck(m_port), 40);
    EXPECT_EQ(g_fired, std::vector<int>{0});
    EXPECT_EQ(COMMWatchCheck(m_port), 0);   // and once only
}

INSTANTIATE_TEST_SUITE_P(Bytes, WatchAfterMatch,
                         ::testing::Values(TrailCase{"OneNul", std::string(1, '\0')},
                                           TrailCase{"TwelveNuls", std::string(12, '\0')}, TrailCase{"Letter", "x"},
                                           TrailCase{"TextAgain", "OK"}),
                         testsupport::CaseName());
