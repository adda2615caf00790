// The transfer protocols korlink-xfer offers: one table, so that a protocol
// added to the library needs one new row here (with its settings) and
// nothing else.
#pragma once

#include "korlink.h"

#include <string>

namespace korlinkxfer {

// What the command line sets for a transfer.
struct TransferSettings {
    int timeoutMs = 0;    // 0: the protocol's default
    int retries = 0;
    bool rename = false;
    bool resume = false;  // ZMODEM: continue partial files
    std::string name;     // empty: the protocol's default name
};

struct Protocol {
    int code;              // the library's protocol code
    const char *name;      // the name accepted on the command line
    bool sends;            // false: receive only
    const char *summary;   // one line for --help
    // Puts `settings` into the protocol family's settings record.
    void (*apply)(PortHandle port, const TransferSettings &settings);
};

// The protocol named by `text` (a name or a code), or nullptr.
const Protocol *findProtocol(const std::string &text);

// "105 or xmodem ..." lines for --help, and the short list for messages.
std::string protocolHelp();
std::string protocolChoices();

}  // namespace korlinkxfer
