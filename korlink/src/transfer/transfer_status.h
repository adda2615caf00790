// The status codes a transfer reports through the host's callback, and the
// file buffer size every protocol clamps its request to.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korlink {

// Status codes reported through the callback.
enum TransferStatus : int32_t {
    ST_CONTROL = 105,
    ST_BAD_NUMBER = 4001,
    ST_BAD_CHECK = 4002,
    ST_DISK = 4003,
    ST_FILE_TIME = 4006,
    ST_FILE_CLOSED = 4007,
    ST_FILE_NAME = 4008,
    ST_BYTE_COUNT = 4009,
    ST_RENAMED = 4012,
    ST_FILE_LENGTH = 4013,
    ST_OPENING = 4014,
    ST_UNEXPECTED = 4015,
    ST_TIMEOUT = 4016,
    ST_CANCELLED_REMOTE = 4018,
    ST_FILE_SENT = 4019,
    ST_NAK_RECEIVED = 4020,
    ST_ACK_SENT = 4023,
    ST_NAK_SENT = 4025,
    ST_FINISHED = 4027,
    ST_QUEUED = 4028,
    ST_SHORT_FILE = 4030,
    ST_END_UNCONFIRMED = 4031
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
