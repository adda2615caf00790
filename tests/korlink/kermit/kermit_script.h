// The test's own side of a Kermit link on a pty pair: packets built and
// read the way the protocol lays them out, independently of the library.
#pragma once

#include "pty_pair.h"

#include <chrono>
#include <optional>
#include <string>

namespace kermittest {

struct Packet {
    char type = 0;
    int seq = 0;
    std::string data;
    bool checkOk = false;   // one type-1 check character, matching
    char eol = 0;           // the character after the check
};

// A packet with a type-1 check, ended by CR.
std::string makePacket(char type, int seq, const std::string &data);

// Send-Init data: MAXL 94, TIME 10, no padding, EOL CR, '#', 'Y', '1', '~'.
std::string defaultInit();

// The next packet the library sent, or nothing within `limit`.
std::optional<Packet> readPacket(testsupport::PtyPair &line,
                                 std::chrono::milliseconds limit = std::chrono::seconds(10));

}  // namespace kermittest
