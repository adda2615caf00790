// The per-port records of every family, freed when the port is closed. Lives
// above the families so the frame, which calls it, includes none of them.
#include "ascii/ascii_settings.h"
#include "modem/modem_settings.h"
#include "kermit/kermit_settings.h"
#include "xmodem/xmodem_settings.h"
#include "zmodem/zmodem_settings.h"

namespace korlink {

void releaseFamilyRecords(Port &port) {
    delete port.xmodem;
    port.xmodem = nullptr;
    releaseModemSettings(port);
    releaseAsciiSettings(port);
    releaseKermitSettings(port);
    releaseZmodemSettings(port);
    // port.transfer is the host's item 114 slot: the host owns what it points to.
    port.transfer = nullptr;
}

}  // namespace korlink
