#include "xmodem_settings.h"

namespace korlink {

void releaseTransferRecords(Port &port) {
    delete port.xmodem;
    port.xmodem = nullptr;
    delete port.transfer;
    port.transfer = nullptr;
}

}  // namespace korlink
