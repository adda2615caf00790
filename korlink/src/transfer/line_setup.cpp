#include "transfer/line_setup.h"

#include "korlink.h"

namespace korlink {

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
    if (m_io.closedByHost) return;  // the host's close has put its own settings back
    PortHandle handle = handleOf(&m_io);
    if (m_dataBits >= 5 && m_dataBits != 8)
        COMMDataFormatSet(handle, KORLINK_ITEM_DATABITS, static_cast<uint16_t>(m_dataBits));
    if (m_parity > 0) COMMDataFormatSet(handle, KORLINK_ITEM_PARITY, static_cast<uint16_t>(m_parity));
    if (m_stopBits > 1) COMMDataFormatSet(handle, KORLINK_ITEM_STOPBITS, static_cast<uint16_t>(m_stopBits));
    if (m_savedXlat) COMMRestoreXlat(handle);
}

}  // namespace korlink
