// The transfer link: waits, pauses, raw output and reports of a transfer.
#include "transfer/transfer_link.h"

#include "device/device_io.h"
#include "frame/library_state.h"
#include "transfer/background.h"

#include <algorithm>

namespace korlink {

int TransferLink::waitByte() const { return waitByte(m_timeoutMs); }

int TransferLink::waitByte(int32_t timeoutMs) const {
    if (closed()) return KORLINK_E_NULL_PORT;
    // A byte already buffered needs no trip through the handle table and
    // no look at the clock: at full speed that is most of the cost.
    if (int byte = takeBufferedByte(m_io); byte >= 0) return byte;
    return c_waitc(handle(), -1, timeoutMs);
}

int TransferLink::pause(int32_t ms) const {
    uint32_t deadline = tickMs() + static_cast<uint32_t>(std::max<int32_t>(ms, 0));
    for (;;) {
        if (closed()) return KORLINK_E_NULL_PORT;
        // COMMXferCancel may set the flag from the host's thread while a
        // background transfer pauses here.
        if (__atomic_exchange_n(&m_io.cancelPending, false, __ATOMIC_ACQ_REL)) return KORLINK_E_CANCELLED;
        if (int16_t stop = cancelCheck(m_io); stop != 0) return stop;
        int32_t left = static_cast<int32_t>(deadline - tickMs());
        if (left <= 0) return 0;
        passIdleTime(std::min(left, 10));
    }
}

int TransferLink::send(uint8_t byte) const { return send(&byte, 1); }

int TransferLink::send(const uint8_t *data, size_t count) const {
    if (closed()) return KORLINK_E_NULL_PORT;
    int result = c_putn(handle(), static_cast<int32_t>(count), reinterpret_cast<const char *>(data));
    if (result == KORLINK_E_CANCELLED) storeShared(m_io.cancelPending, true);
    return result;
}

void TransferLink::discardInput() const {
    if (!closed()) c_rxflush(handle(), 0);
}

void TransferLink::report(int32_t status, intptr_t param) const {
    if (m_callback && !closed()) m_callback(m_reportHandle, status, param);
}

void TransferLink::sendCancelSequence() const {
    static const uint8_t sequence[] = {CAN, CAN, CAN, CAN, CAN, BS, BS, BS, BS, BS};
    ms_pause(500);
    // Straight to the port: a cancel key met on the way is this cancel.
    if (!closed()) c_putn(handle(), sizeof sequence, reinterpret_cast<const char *>(sequence));
}

}  // namespace korlink
