// Reading the file a send queue is sending, through the queue's read buffer.
#include "transfer/queued_file.h"

#include "transfer/transfer_status.h"

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

void reportQueuedFile(const TransferLink &link, const SendQueue &queue, int64_t modifiedLocal) {
    const char *name = queue.currentName.c_str();
    link.report(ST_OPENING, reinterpret_cast<intptr_t>(name));
    link.report(ST_FILE_NAME, reinterpret_cast<intptr_t>(name));
    link.report(ST_FILE_LENGTH, static_cast<intptr_t>(queue.currentSize));
    link.report(ST_FILE_TIME, static_cast<intptr_t>(modifiedLocal));
    link.report(ST_BYTE_COUNT, 0);
}

bool seekQueuedFile(SendQueue &queue, int64_t offset) {
    if (queue.inputFd < 0 || offset < 0 || ::lseek(queue.inputFd, offset, SEEK_SET) != offset) return false;
    queue.readPosition = queue.readEnd = 0;
    return true;
}

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

}  // namespace korlink
