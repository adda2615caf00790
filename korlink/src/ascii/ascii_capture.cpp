#include "ascii/ascii_capture.h"

#include "ascii/ascii_settings.h"
#include "transfer/transfer_link.h"
#include "transfer/receive_file.h"

#include <new>

namespace korlink {

namespace {

intptr_t nameParam(const std::string &name) { return reinterpret_cast<intptr_t>(name.c_str()); }

// Takes bytes until the end character, silence, a cancel or a carrier loss;
// 0 for a normal end, else the code.
int32_t captureBytes(const TransferLink &link, const AsciiSettings &record, ReceiveFile &file) {
    PortHandle handle = link.handle();
    int64_t count = 0;
    for (;;) {
        int16_t byte = c_getc(handle);
        if (byte == KORLINK_E_NULL_PORT) return byte;  // the host closed the port
        if (byte == KORLINK_E_CANCELLED || byte == KORLINK_E_CARRIER_LOST) {
            link.report(byte, static_cast<intptr_t>(count));
            return byte;
        }
        if (byte < 0) {
            link.report(ST_TIMEOUT, static_cast<intptr_t>(count));
            return 0;
        }
        uint8_t data = static_cast<uint8_t>(byte);
        if (!file.append(&data, 1)) {
            // Bytes that did not reach the disk must not end in a success.
            link.report(ST_DISK, static_cast<intptr_t>(count));
            return ST_DISK;
        }
        ++count;
        if (count % 256 == 0) link.report(ST_BYTE_COUNT, static_cast<intptr_t>(count));
        if (byte == record.endChar) return 0;
    }
}

// Opens the file, captures and closes it. What was received before a cancel
// or a carrier loss is written out too: it is real data.
int32_t captureToFile(const TransferLink &link, const AsciiSettings &record, const std::string &name,
                      ReceiveFile &file) {
    if (!file.open(name)) {
        link.report(ST_DISK, 0);
        return ST_DISK;
    }
    link.report(ST_OPENING, nameParam(name));
    int32_t done = captureBytes(link, record, file);
    if (done == KORLINK_E_NULL_PORT) return done;  // ~ReceiveFile closes without touching the port
    bool written = file.flush();
    if (done == 0) {
        if (!written) {
            link.report(ST_DISK, 0);
            done = ST_DISK;
        }
        link.report(ST_FILE_CLOSED, 0);
    }
    file.close();
    return done;
}

int32_t runCapture(Port &io, PortHandle reportHandle, int32_t bufferSize, StatusCallback callback) {
    AsciiSettings *record = ensureAsciiSettings(io);
    if (record == nullptr) return KORLINK_E_NO_MEMORY;
    if (io.watchCarrier) record->carrierWatch = true;
    TransferLink link(io, reportHandle, callback, record->timeoutMs);
    std::string name = record->fileName;
    if (record->rename) {
        if (applyRenameRule(name) != KORLINK_OK) return KORLINK_E_FILE;
        link.report(ST_RENAMED, nameParam(name));
    }
    ReceiveFile file(io, bufferSize);  // allocated before anything of the port changes
    PortHandle handle = handleOf(&io);
    if (COMMSaveXlat(handle) != KORLINK_OK) return KORLINK_E_NO_MEMORY;
    io.xlat.receiveTimeoutMs = record->timeoutMs;
    bool watching = io.watchCarrier;
    io.watchCarrier = record->carrierWatch;
    int32_t done = captureToFile(link, *record, name, file);
    if (done == KORLINK_E_NULL_PORT) return done;
    io.watchCarrier = watching;
    COMMRestoreXlat(handle);
    return done;
}

}  // namespace

int32_t captureAscii(Port &io, PortHandle reportHandle, int32_t bufferSize, StatusCallback callback) {
    io.lastError = 0;
    int32_t done;
    try {
        done = runCapture(io, reportHandle, bufferSize, callback);
    } catch (const std::bad_alloc &) {
        done = KORLINK_E_NO_MEMORY;
    }
    if (done != KORLINK_E_NULL_PORT) io.lastError = done;
    return done;
}

}  // namespace korlink
