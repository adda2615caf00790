// What the modem tests share: the scripted modem as COM 9, the port opened on
// it as the application opens ports, and the argument-error reports.
#pragma once

#include "hayes_modem.h"
#include "korlink.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace modemtest {

inline constexpr int kModemCom = 9;

// Reports shown since the fixture started.
std::vector<std::string> &reportTexts();

class ModemTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Replies are read until 150 ms of quiet, commands go out without the
    // inter-character delay and a hang-up drops DTR for 50 ms, so a dialogue
    // takes a fraction of a second.
    void useShortWaits();

    std::unique_ptr<ScriptedModem> m_modem;
    PortHandle m_port = nullptr;
};

}  // namespace modemtest
