// The transfer protocols korlink-xfer offers: one table, so that a protocol
// added to the library needs one new row here and nothing else.
#pragma once

#include <string>

namespace korlinkxfer {

struct Protocol {
    int code;              // the library's protocol code
    const char *name;      // the name accepted on the command line
    const char *summary;   // one line for --help
};

// The protocol named by `text` (a name or a code), or nullptr.
const Protocol *findProtocol(const std::string &text);

// "105 or xmodem (...)" lines for --help, and the short list for messages.
std::string protocolHelp();
std::string protocolChoices();

}  // namespace korlinkxfer
