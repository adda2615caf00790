// The program's binding of the serial library: found beside the program,
// bound export by export, and a missing library or export told once per
// failed call while the caller gets a failure it can act on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "korlink_binder/fill_str.h"
#include "korlink_binder/korlink_binder.h"
#include "pty_pair.h"

using namespace trelm;

namespace {

class BinderTest : public testing::Test {
protected:
    void SetUp() override {
        korlink::setMissingReport([this](const std::string &message) { m_messages.push_back(message); });
        korlink::setLoadedHook([this] { ++m_loads; });
    }
    void TearDown() override {
        korlink::COMMPortsDeinitAll();
        korlink::useLibrary("");
        korlink::setMissingReport({});
        korlink::setLoadedHook({});
    }

    std::vector<std::string> m_messages;
    int m_loads = 0;
};

} // namespace

TEST_F(BinderTest, TheLibraryBesideTheProgramIsLoadedOnceAndItsExportsWork) {
    korlink::useLibrary("");
    const std::filesystem::path candidate = korlink::libraryCandidate();
    EXPECT_EQ(candidate.filename(), "libkorlink.so");
    EXPECT_TRUE(candidate.is_absolute()) << candidate;
    ASSERT_TRUE(korlink::ready());
    ASSERT_TRUE(korlink::ready());
    EXPECT_EQ(m_loads, 1);
    EXPECT_EQ(korlink::c_putc(nullptr, 'A'), KORLINK_E_NULL_PORT);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(BinderTest, FillStrTakesEveryWaitingByteAndNeverWaits) {
    korlink::useLibrary("");
    testsupport::PtyPair pty;
    pty.exposeAs(3);
    PortHandle port = korlink::COMMWinInit(3, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(fill_str(port), "");
    const std::string reply = std::string("OK\r\n") + '\x80' + '\xff' + '\0' + "E";
    pty.send(reply);
    // The library fills its queue as bytes arrive; wait for all of them.
    for (int i = 0; i < 500 && korlink::c_rxcount(port) < static_cast<int>(reply.size()); ++i)
        korlink::ms_pause(10);
    EXPECT_EQ(fill_str(port), reply);
    EXPECT_EQ(fill_str(port), "");
    EXPECT_EQ(korlink::COMMPortDeinit(port, 0), 0);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(BinderTest, AMissingLibraryIsToldAtEachSerialCallAndNothingIsCalled) {
    korlink::useLibrary("/nonexistent/libkorlink.so");
    EXPECT_FALSE(korlink::ready());
    EXPECT_EQ(korlink::COMMWinInit(1, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512), nullptr);
    EXPECT_EQ(korlink::c_rxcount(nullptr), korlink::kUnbound);
    EXPECT_EQ(fill_str(nullptr), "");
    ASSERT_EQ(m_messages.size(), 4u);
    for (const std::string &message : m_messages) {
        EXPECT_NE(message.find("/nonexistent/libkorlink.so"), std::string::npos) << message;
        EXPECT_NE(message.find("cannot be loaded"), std::string::npos) << message;
    }
    EXPECT_EQ(m_loads, 0);
}

TEST_F(BinderTest, ALibraryWithoutAnExportNamesTheExport) {
    korlink::useLibrary("libm.so.6");
    ASSERT_TRUE(korlink::ready());
    EXPECT_EQ(korlink::c_getc(nullptr), korlink::kUnbound);
    EXPECT_EQ(korlink::freceive(nullptr, KORLINK_PROTO_XMODEM_CRC, 4096, nullptr, 0), korlink::kUnbound);
    EXPECT_EQ(korlink::ms_pause(0), 0u);
    ASSERT_EQ(m_messages.size(), 3u);
    EXPECT_NE(m_messages[0].find("has no function c_getc"), std::string::npos) << m_messages[0];
    EXPECT_NE(m_messages[1].find("has no function freceive"), std::string::npos) << m_messages[1];
    // Switching back binds the real library afresh.
    korlink::useLibrary("");
    EXPECT_EQ(korlink::c_getc(nullptr), KORLINK_E_NULL_PORT);
    EXPECT_EQ(m_messages.size(), 3u);
}
