// The binary line state a transfer runs in, set up and put back by one object.
#pragma once

#include "frame/port.h"

namespace korlink {

// Puts the line into the binary state a transfer needs and restores it when
// the transfer ends: 8 data bits, no parity, one stop bit; transmit and
// receive options off; no XON/XOFF output pacing (the data holds those bytes).
// When the option state cannot be saved, nothing is changed and saved() is
// false: the transfer must not run.
class TransferLineSetup {
public:
    explicit TransferLineSetup(Port &io);
    ~TransferLineSetup();
    TransferLineSetup(const TransferLineSetup &) = delete;
    TransferLineSetup &operator=(const TransferLineSetup &) = delete;

    bool saved() const { return m_savedXlat; }

private:
    Port &m_io;
    bool m_savedXlat = false;
    int32_t m_dataBits = -1;
    int32_t m_parity = -1;
    int32_t m_stopBits = -1;
};

}  // namespace korlink
