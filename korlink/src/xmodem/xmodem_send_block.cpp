#include "xmodem/xmodem_send_block.h"

#include "xmodem/xmodem_header.h"
#include "xmodem/xmodem_link.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korlink {
namespace {

// Seconds since 1970 as the local clock shows them, which is what the batch
// header carries.
int64_t localSeconds(time_t utc) {
    struct tm local {};
    localtime_r(&utc, &local);
    return static_cast<int64_t>(utc) + local.tm_gmtoff;
}

}  // namespace

ssize_t readQueuedBytes(SendQueue &queue, uint8_t *out, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (queue.readPosition == queue.readEnd) {
            ssize_t got = ::read(queue.inputFd, queue.readBuffer.data(), queue.readBuffer.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return -1;
            if (got == 0) break;
            queue.readPosition = 0;
            queue.readEnd = static_cast<size_t>(got);
        }
        size_t part = std::min(count - done, queue.readEnd - queue.readPosition);
        std::memcpy(out + done, queue.readBuffer.data() + queue.readPosition, part);
        queue.readPosition += part;
        done += part;
    }
    return static_cast<ssize_t>(done);
}

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

bool openQueuedFile(SendQueue &queue, int64_t &modifiedLocal, uint32_t &mode) {
    releaseQueueFile(queue);
    if (queue.names.empty()) return false;
    queue.currentName = queue.names.front();
    int fd = ::open(queue.currentName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    if (fstat(fd, &info) != 0) { ::close(fd); return false; }
    queue.inputFd = fd;
    queue.currentSize = info.st_size;
    modifiedLocal = localSeconds(info.st_mtime);
    mode = info.st_mode;
    queue.readBuffer.assign(fileBufferSize(queue.bufferSize), 0);
    queue.readPosition = queue.readEnd = 0;
    return true;
}

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
