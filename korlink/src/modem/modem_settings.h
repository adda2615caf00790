// The per-port record of the COMMModem family: command-line texts, time-outs,
// the replies of the last command and dial, and what the last dial learnt
// about the link.
#pragma once

#include "frame/port.h"

#include <cstdint>
#include <string>

namespace korlink {

// Bits of ModemSettings::flags.
enum ModemFlag : uint8_t {
    MODEM_FLAG_LIBRARY_MADE = 1u << 0,  // the library created the record
    MODEM_FLAG_FIXED_SPEED = 1u << 2,   // item 15: a dial leaves the baud rate alone
    MODEM_FLAG_INITIALISED = 1u << 7    // item 17
};

// What the reply to a dial said about the link (COMMLinkGet).
struct LinkState {
    bool errorCorrection = false;  // 202: MNP-style error correction
    bool v42 = false;              // 204
    bool v32bis = false;           // modulation named V32B
    bool modulation00T = false;    // 203: the text "00T"
    bool compression = false;      // 201
    int32_t connectSpeed = 0;
    int32_t carrierSpeed = 0;      // 200; 0: none found yet
};

// Text fields keep their limits (characters, without the NUL).
struct ModemSettings {
    char dialCommand[3] = "D";        // item 1
    char dialMode[3] = "T";
    char echo[3] = "E1";              // item 2
    char escape[9] = "S2=043";        // item 3: S-register setting of the escape character
    char resultCodes[3] = "Q";        // item 4
    char reset[3] = "Z";              // item 5
    char speaker[3] = "M1";           // item 6
    char verbose[3] = "V1";           // item 7
    char attention[3] = "AT";         // item 8
    char terminator = '\r';
    uint16_t replyTimeoutMs = 500;    // item 12: receive time-out while reading a reply
    uint16_t lineTimeoutMs = 2500;    // item 13: wait for a reply's first byte
    uint16_t interCharMs = 56;        // item 14: pause between command characters
    uint16_t pauseMs = 500;
    char pauseChar = '~';             // in a command: not sent, waits pauseMs
    uint16_t dtrDropMs = 2500;        // item 11
    char commaPause[5] = "S8=2";
    char carrierWait[10] = "S7=60";   // item 16: also the dial wait's limit in seconds
    char dialToneWait[5] = "S6=2";
    std::string extendedSetup = ",*#()-R;";  // chosen by COMMModemInit, sent nowhere
    char autoAnswer[5] = "S0=0";
    std::string initLine;
    int16_t speedClass = 0;           // COMMModemInit's speed or COMMModemType's finding
    char commandReply[40] = {};       // reply of the last command
    char dialReply[82] = {};          // item 18: what the last dial received
    LinkState link;
    intptr_t hostValue = 0;           // item 9, only stored
    char replyTerminator = '\r';
    uint8_t flags = MODEM_FLAG_LIBRARY_MADE | MODEM_FLAG_FIXED_SPEED | MODEM_FLAG_INITIALISED;

    bool hasFlag(ModemFlag flag) const { return (flags & flag) != 0; }
};

// The record of a port, created with its defaults on first use; nullptr only
// when memory runs out.
ModemSettings *ensureModemSettings(Port &port);

void releaseModemSettings(Port &port);

// The port of a modem export with its record: nullptr when the handle is not
// live (reported, `refusal` -102), the port is held by a background transfer
// (-122) or the record cannot be made (-118).
Port *modemPort(PortHandle handle, const char *function, int16_t &refusal);

// The number after the first three characters of an S-register setting
// ("S7=60" gives 60); 0 when there is none.
int32_t settingValue(const char *setting);

}  // namespace korlink
