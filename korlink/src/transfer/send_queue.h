// The table of 32 send queues: lists of file names that one fsend sends, with
// the state of the file being sent. A queue is created by its first fqueue
// and used up by the fsend that sends it.
#pragma once

#include "korlink.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace korlink {

inline constexpr int sendQueueCount = 32;

struct SendQueue {
    std::list<std::string> names;   // files still to send, first at the front
    std::vector<uint8_t> readBuffer;
    size_t readPosition = 0;        // next unread byte in readBuffer
    size_t readEnd = 0;             // one past the last byte read into it
    int inputFd = -1;               // the file being sent, or -1
    std::string currentName;
    int64_t currentSize = 0;
    int32_t bufferSize = 0;
    int16_t protocol = 0;
    StatusCallback callback = nullptr;
    // Set by fsend while it sends this queue (in the foreground or on a
    // worker): fqueue, funqueue and funload then refuse with -122 instead of
    // changing the list or the read state under the sender.
    bool inUse = false;
};

// The queue with this number, or nullptr when it does not exist (never
// created, used up, or a number outside 0..31).
SendQueue *findSendQueue(int queue);

// Closes the queue's open input file and frees its read buffer (the read
// positions go back to 0, so nothing reads the freed buffer). Returns 0, or
// -1 when closing the file failed.
int16_t releaseQueueFile(SendQueue &queue);

// Marks the queue as being sent and returns it; nullptr with `refusal` -113
// when it does not exist, -122 when an fsend already sends it. The mark
// stays until discardSendQueue.
SendQueue *claimSendQueue(int queue, int16_t &refusal);

// Frees the queue and empties its slot (whatever fsend's outcome).
void discardSendQueue(int queue);

}  // namespace korlink
