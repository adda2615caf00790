// The file a send queue is sending: opening it and reading it through the
// queue's read buffer, for every protocol's send.
#pragma once

#include "transfer/send_queue.h"
#include "transfer/transfer_link.h"

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace korlink {

// Opens the queue's first file for reading with a read buffer of the
// clamped size; fills its size and modification time. False on failure.
bool openQueuedFile(SendQueue &queue, int64_t &modifiedLocal, uint32_t &mode);

// The reports of a send's file once it is open: 4014 and 4008 with its name,
// 4013 with its size, 4006 with its modification time, 4009 with 0.
void reportQueuedFile(const TransferLink &link, const SendQueue &queue, int64_t modifiedLocal);

// Reads up to `count` bytes of the queue's open file through its read
// buffer: the number read (less only at the end of the file), -1 on error.
ssize_t readQueuedBytes(SendQueue &queue, uint8_t *out, size_t count);

// Moves the read position of the queue's open file to `offset` (a receiver
// asking for the file from there); false on failure.
bool seekQueuedFile(SendQueue &queue, int64_t offset);

}  // namespace korlink
