#include "xmodem/xmodem_link.h"

namespace korlink {

uint16_t blockCheck(const uint8_t *data, size_t count, bool crc) {
    uint16_t check = 0;
    for (size_t i = 0; i < count; ++i) check = crc ? crc_ccitt(check, data[i]) : checksum(check, data[i]);
    return check;
}

int TransferLink::waitByte() const { return waitByte(m_timeoutMs); }

int TransferLink::waitByte(int32_t timeoutMs) const {
    return c_waitc(handle(), -1, timeoutMs);
}

int TransferLink::send(uint8_t byte) const { return send(&byte, 1); }

int TransferLink::send(const uint8_t *data, size_t count) const {
    return c_putn(handle(), static_cast<int32_t>(count), reinterpret_cast<const char *>(data));
}

void TransferLink::discardInput() const { c_rxflush(handle(), 0); }

void TransferLink::report(int32_t status, intptr_t param) const {
    if (m_callback) m_callback(m_reportHandle, status, param);
}

void TransferLink::sendCancelSequence() const {
    static const uint8_t sequence[] = {CAN, CAN, CAN, CAN, CAN, BS, BS, BS, BS, BS};
    ms_pause(500);
    send(sequence, sizeof sequence);
}

TransferLineSetup::TransferLineSetup(Port &io) : m_io(io) {
    PortHandle handle = handleOf(&io);
    m_savedXlat = COMMSaveXlat(handle) == KORLINK_OK;
    // What could not be saved could not be put back: the line stays as it is
    // and the transfer does not run.
    if (!m_savedXlat) return;
    io.xlat.tx.enabled = false;
    io.xlat.rx.enabled = false;
    io.xlat.flow.xonXoffOutput = false;

    m_dataBits = COMMDataFormatGet(handle, KORLINK_ITEM_DATABITS);
    m_parity = COMMDataFormatGet(handle, KORLINK_ITEM_PARITY);
    m_stopBits = COMMDataFormatGet(handle, KORLINK_ITEM_STOPBITS);
    if (m_dataBits != 8) COMMDataFormatSet(handle, KORLINK_ITEM_DATABITS, 8);
    if (m_parity > 0) COMMDataFormatSet(handle, KORLINK_ITEM_PARITY, 0);
    if (m_stopBits > 1) COMMDataFormatSet(handle, KORLINK_ITEM_STOPBITS, 1);
}

TransferLineSetup::~TransferLineSetup() {
    PortHandle handle = handleOf(&m_io);
    if (m_dataBits >= 5 && m_dataBits != 8)
        COMMDataFormatSet(handle, KORLINK_ITEM_DATABITS, static_cast<uint16_t>(m_dataBits));
    if (m_parity > 0) COMMDataFormatSet(handle, KORLINK_ITEM_PARITY, static_cast<uint16_t>(m_parity));
    if (m_stopBits > 1) COMMDataFormatSet(handle, KORLINK_ITEM_STOPBITS, static_cast<uint16_t>(m_stopBits));
    if (m_savedXlat) COMMRestoreXlat(handle);
}

}  // namespace korlink
