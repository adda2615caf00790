// XMODEM blocks of a send: data blocks and the batch header block.
#include "xmodem/xmodem_send_block.h"

#include "xmodem/xmodem_header.h"
#include "transfer/queued_file.h"
#include "transfer/transfer_link.h"

#include <cstring>

namespace korlink {
namespace {

void appendCheck(Block &block, size_t dataStart, size_t dataLength, bool crc) {
    uint16_t check = blockCheck(block.bytes + dataStart, dataLength, crc);
    size_t end = dataStart + dataLength;
    if (crc) {
        block.bytes[end++] = static_cast<uint8_t>(check >> 8);
        block.bytes[end++] = static_cast<uint8_t>(check & 0xFF);
    } else {
        block.bytes[end++] = static_cast<uint8_t>(check & 0xFF);
    }
    block.length = end;
}

void writeBlockHead(Block &block, size_t blockSize, uint32_t number) {
    block.bytes[0] = blockSize == 1024 ? STX : SOH;
    block.bytes[1] = static_cast<uint8_t>(number & 0xFF);
    block.bytes[2] = static_cast<uint8_t>(~number & 0xFF);
}

}  // namespace

bool buildDataBlock(SendQueue &queue, Block &block, size_t blockSize, uint32_t number,
                    bool crc, uint8_t padByte) {
    writeBlockHead(block, blockSize, number);
    uint8_t *data = block.bytes + 3;
    ssize_t got = readQueuedBytes(queue, data, blockSize);
    if (got < 0) return false;
    auto used = static_cast<size_t>(got);
    block.last = used < blockSize;
    if (block.last) {
        data[used] = SUB;
        std::memset(data + used + 1, padByte, blockSize - used - 1);
    }
    appendCheck(block, 3, blockSize, crc);
    return true;
}

void buildHeaderBlock(Block &block, const std::string &path, int64_t size, int64_t modified,
                      uint32_t mode, bool crc) {
    writeBlockHead(block, 128, 0);
    if (path.empty()) std::memset(block.bytes + 3, 0, 128);
    else buildBatchHeader(block.bytes + 3, path, size, modified, mode);
    appendCheck(block, 3, 128, crc);
    block.last = false;
}

}  // namespace korlink
