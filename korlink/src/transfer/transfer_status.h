// The status codes a transfer reports through the host's callback, and the
// file buffer size every protocol clamps its request to.
#pragma once

#include "korlink.h"

#include <cstddef>
#include <cstdint>

namespace korlink {

// Status codes reported through the callback: the header's names, short for
// the engines. ST_FILE_SENT is the send loop's own result for a file that went
// through; it is never reported to hosts, so the header does not name it.
enum TransferStatus : int32_t {
    ST_CONTROL = KORLINK_STATUS_RECOGNISED,
    ST_BAD_NUMBER = KORLINK_STATUS_BAD_BLOCK_NUMBER,
    ST_BAD_CHECK = KORLINK_STATUS_BAD_CHECK,
    ST_DISK = KORLINK_STATUS_FILE_FAILED,
    ST_FILE_TIME = KORLINK_STATUS_FILE_TIME,
    ST_FILE_CLOSED = KORLINK_STATUS_FILE_CLOSED,
    ST_FILE_NAME = KORLINK_STATUS_FILE_NAME,
    ST_BYTE_COUNT = KORLINK_STATUS_BYTE_COUNT,
    ST_RENAMED = KORLINK_STATUS_RENAMED,
    ST_FILE_LENGTH = KORLINK_STATUS_FILE_LENGTH,
    ST_OPENING = KORLINK_STATUS_FILE_OPENING,
    ST_UNEXPECTED = KORLINK_STATUS_UNEXPECTED_BYTE,
    ST_TIMEOUT = KORLINK_STATUS_TIMEOUT,
    ST_CANCELLED_REMOTE = KORLINK_STATUS_REMOTE_CANCEL,
    ST_FILE_SENT = 4019,
    ST_NAK_RECEIVED = KORLINK_STATUS_NAK_RECEIVED,
    ST_ACK_SENT = KORLINK_STATUS_ACK_SENT,
    ST_NAK_SENT = KORLINK_STATUS_NAK_SENT,
    ST_FINISHED = KORLINK_STATUS_TRANSFER_END,
    ST_QUEUED = KORLINK_STATUS_SEND_START,
    ST_SHORT_FILE = KORLINK_STATUS_SHORT_FILE,
    ST_END_UNCONFIRMED = KORLINK_STATUS_END_UNCONFIRMED
};

// The file buffer size of a transfer (receive: the output buffer; send: the
// read buffer): the request clamped to 2048..36608 bytes.
inline constexpr int32_t minFileBuffer = 2048;
inline constexpr int32_t maxFileBuffer = 36608;
inline size_t fileBufferSize(int32_t requested) {
    return static_cast<size_t>(requested < minFileBuffer   ? minFileBuffer
                               : requested > maxFileBuffer ? maxFileBuffer
                                                           : requested);
}

}  // namespace korlink
