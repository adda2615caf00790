// Asking a line for a reply until the right one comes: the loop that the
// connection probe, the modem check and the dial share. Each round does what
// the caller asks (send a command, show a line), waits with the host's pump
// running, and reads whatever arrived.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "korlink.h"
#include "retrieval/questions.h"

namespace trelm::retrieval {

struct ReplyPoll {
    std::int32_t waitMs = 0; // each round's wait for the reply
    int limit = 0;           // gives up once the count of the rounds passes it
    int noiseCount = 0;      // what a reply that is no answer adds to the count; a silent round adds 1
    std::function<void()> ask;                          // each round, before the wait
    std::function<void()> beforeReading;                // each round, after the wait; may be empty
    std::function<bool(const std::string &)> isAnswer;  // the reply, upper-cased, is the one awaited
    // Asked before each round and after each wait: the operator ended the
    // polling during a wait (the port may be closed). May be empty.
    std::function<bool()> stopped;
};

enum class PollEnd { Answered, GaveUp, Stopped };

struct PollResult {
    PollEnd end = PollEnd::GaveUp;
    std::string reply; // the answer, upper-cased
};

// Rounds until an answer, the count passing the limit, or a stop. A reply
// that is no answer gets a port check. Never uses the port after a stop.
PollResult pollReplies(PortHandle port, Questions &questions, const ReplyPoll &poll);

// The port check: empties the receive buffer (what was said before is no
// answer) and tells a port that is not open or is held by a background
// transfer; any other result is silent.
void checkPort(PortHandle port, Questions &questions);

// Everything waiting on the port, upper-cased; empty when nothing waits.
std::string replyOn(PortHandle port);

} // namespace trelm::retrieval
