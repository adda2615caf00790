#include "ascii/ascii_settings.h"
#include "modem/modem_settings.h"
#include "kermit/kermit_settings.h"
#include "xmodem/xmodem_settings.h"

namespace korlink {

void releaseTransferRecords(Port &port) {
    delete port.xmodem;
    port.xmodem = nullptr;
    releaseModemSettings(port);
    releaseAsciiSettings(port);
    releaseKermitSettings(port);
    // port.transfer is the host's item 114 slot: the host owns what it points to.
    port.transfer = nullptr;
}

}  // namespace korlink
