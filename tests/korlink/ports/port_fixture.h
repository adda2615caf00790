// What the port tests share: a pty exposed as a COM port and opened, the
// argument-error reports captured through the report hook, and a test pump.
#pragma once

#include "korlink.h"
#include "pty_pair.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace porttest {

struct Report {
    std::string title;
    std::string text;
};

// Reports shown since the last clear.
std::vector<Report> &reports();

// The pump installed by installPump: runs `step` (if any) and returns its key.
// Counts its calls.
void installPump(std::function<int()> step);
void removePump();
int pumpCalls();

inline constexpr int kEscape = 283;
inline constexpr int kTestCom = 5;

// A pty pair exposed as COM 5 and opened like the application opens it.
class PortTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sends bytes from the peer and waits until the port can read them all.
    void peerSends(const std::string &bytes);
    std::string peerReceives(size_t count, int timeoutMs = 2000);
    // Whether the peer has anything to read right now.
    bool peerHasData();

    std::unique_ptr<testsupport::PtyPair> m_pty;
    PortHandle m_port = nullptr;
};

}  // namespace porttest
