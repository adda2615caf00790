// Command lines and replies of the COMMModem family, shared by the exports.
// Every function takes a port whose modem record exists (modemPort).
#pragma once

#include "frame/port.h"

namespace korlink {

// Longest command line (prefix, result-code setting, command, terminator).
inline constexpr size_t kMaxCommandLine = 41;

// Sends the attention prefix, the result-code setting, `command` and the
// terminator with the command-line transmit options (upper case, no bit 7,
// the inter-character delay, the pause character), DTR raised and the
// carrier watch off for the line. c_puts's result, -118 for a line of 42
// characters or more (nothing sent), -102 when the host closed the port.
int16_t sendCommandLine(Port &port, const char *command);

// Discards pending input, sends `command` and reads the reply into the
// record's command reply (at most min(maxLength, 40) - 1 characters). The
// reply's table number, -1 for none; -123, -112, -118 or -102 when the
// command could not run or was stopped.
int16_t runCommand(Port &port, const char *command, int16_t maxLength = 40);

// Raises DTR for a while when it is low and puts it back.
class DtrRaised {
public:
    explicit DtrRaised(Port &port);
    ~DtrRaised();
    DtrRaised(const DtrRaised &) = delete;
    DtrRaised &operator=(const DtrRaised &) = delete;
    bool wasLow() const { return m_wasLow; }

private:
    PortHandle m_handle;
    bool m_wasLow;
};

}  // namespace korlink

namespace korlink {

// COMMModemHangup and COMMModemGoCommand on a port with its record
// (modem_hangup.cpp).
int16_t hangUp(Port &port);
int16_t escapeToCommandMode(Port &port);

}  // namespace korlink
