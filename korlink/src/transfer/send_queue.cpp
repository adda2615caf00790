#include "transfer/send_queue.h"

#include "frame/port.h"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <new>
#include <unistd.h>

namespace korlink {
namespace {

std::array<std::unique_ptr<SendQueue>, sendQueueCount> queueTable;

// Guards the slots and the inUse flags: a background fsend discards its
// queue on its worker thread while the host may call fqueue or funqueue.
std::mutex tableLock;

SendQueue *idleQueue(int queue, int16_t &refusal) {
    SendQueue *entry = findSendQueue(queue);
    refusal = !entry ? KORLINK_E_FILE : entry->inUse ? KORLINK_E_LOCKED : KORLINK_OK;
    return refusal == KORLINK_OK ? entry : nullptr;
}

int16_t removeName(SendQueue &entry, const char *fileName) {
    auto found = std::find(entry.names.begin(), entry.names.end(), fileName);
    if (found == entry.names.end()) return KORLINK_E_FILE;
    entry.names.erase(found);
    return KORLINK_OK;
}

bool validQueueNumber(int queue) { return queue >= 0 && queue < sendQueueCount; }

bool fileReadable(const char *fileName) {
    int fd = ::open(fileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace

SendQueue *findSendQueue(int queue) {
    return validQueueNumber(queue) ? queueTable[static_cast<size_t>(queue)].get() : nullptr;
}

int16_t releaseQueueFile(SendQueue &queue) {
    int16_t result = 0;
    if (queue.inputFd >= 0 && ::close(queue.inputFd) != 0) result = -1;
    queue.inputFd = -1;
    std::vector<uint8_t>().swap(queue.readBuffer);
    queue.readPosition = queue.readEnd = 0;
    return result;
}

SendQueue *claimSendQueue(int queue, int16_t &refusal) {
    std::lock_guard<std::mutex> guard(tableLock);
    SendQueue *entry = idleQueue(queue, refusal);
    if (entry) entry->inUse = true;
    return entry;
}

void discardSendQueue(int queue) {
    if (!validQueueNumber(queue)) return;
    std::lock_guard<std::mutex> guard(tableLock);
    auto &slot = queueTable[static_cast<size_t>(queue)];
    if (slot) releaseQueueFile(*slot);
    slot.reset();
}

}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API int16_t fqueue(int16_t queue, const char *fileName) {
    if (!fileName)
        return reportArgError(KORLINK_E_BAD_ARG2, "fqueue()", "ERROR: BADPARM1. Parameter is NULL");
    // The table has 32 slots; a number outside it would index past the end.
    if (!validQueueNumber(queue))
        return reportArgError(KORLINK_E_BAD_ARG2, "fqueue()",
                              "ERROR: BADPARM1. Parameter %d is unrecognized", queue);
    if (!fileReadable(fileName)) return KORLINK_E_FILE;
    std::lock_guard<std::mutex> guard(tableLock);
    try {
        auto &slot = queueTable[static_cast<size_t>(queue)];
        if (slot && slot->inUse) return KORLINK_E_LOCKED;
        if (!slot) slot = std::make_unique<SendQueue>();
        slot->names.emplace_back(fileName);
    } catch (const std::bad_alloc &) {
        return KORLINK_E_NO_MEMORY;
    }
    return KORLINK_OK;
}

KORLINK_API int16_t funqueue(int16_t queue, const char *fileName) {
    if (!fileName)
        return reportArgError(KORLINK_E_BAD_ARG2, "funqueue()", "ERROR: BADPARM1. Parameter is NULL");
    std::lock_guard<std::mutex> guard(tableLock);
    int16_t refusal = KORLINK_OK;
    SendQueue *entry = idleQueue(queue, refusal);
    return entry ? removeName(*entry, fileName) : refusal;
}

KORLINK_API int16_t funload(int16_t queue, const char *fileName) {
    if (!fileName)
        return reportArgError(KORLINK_E_BAD_ARG2, "funload()", "ERROR: BADPARM1. Parameter is NULL");
    std::lock_guard<std::mutex> guard(tableLock);
    int16_t refusal = KORLINK_OK;
    SendQueue *entry = idleQueue(queue, refusal);
    if (!entry) return refusal;
    int16_t closed = releaseQueueFile(*entry);
    return closed != 0 ? closed : removeName(*entry, fileName);
}

}  // extern "C"
