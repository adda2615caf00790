// Building the blocks of a send: data blocks read from the file being sent
// (with SUB and pad after its end) and the header block 0 of a batch.
#pragma once

#include "transfer/send_queue.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace korlink {

// Header byte, number, complement, up to 1024 data bytes, up to two check bytes.
struct Block {
    uint8_t bytes[1029] = {};
    size_t length = 0;
    bool last = false;      // the file ended inside this block
};

// The next data block from the queue's open file. False on a read error.
bool buildDataBlock(SendQueue &queue, Block &block, size_t blockSize, uint32_t number,
                    bool crc, uint8_t padByte);

// Block 0 for `path` (or, with an empty path, the empty block 0 that ends a
// batch: all data bytes zero).
void buildHeaderBlock(Block &block, const std::string &path, int64_t size, int64_t modified,
                      uint32_t mode, bool crc);

}  // namespace korlink
