#include "retrieval/reply_poll.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "korlink_binder/fill_str.h"
#include "korlink_binder/korlink_binder.h"

namespace trelm::retrieval {

namespace {

// A round's wait is cut into slices this long, so a stop (a cancel, the
// modem disconnected) ends even a one-second round within a tenth of it.
constexpr std::int32_t kStopLookMs = 100;

// Waits `ms` with the host's pump running; false when stopped meanwhile.
bool waitUnlessStopped(std::int32_t ms, const std::function<bool()> &stopped) {
    std::int32_t left = ms;
    do { // a wait of 0 still runs the pump once
        korlink::ms_pause(std::min(left, kStopLookMs));
        left -= kStopLookMs;
        if (stopped())
            return false;
    } while (left > 0);
    return true;
}

} // namespace

void checkPort(PortHandle port, Questions &questions) {
    const std::int16_t result = korlink::c_rxflush(port, 0);
    if (result == KORLINK_E_NULL_PORT)
        questions.messageBox("Port not open!");
    else if (result == KORLINK_E_LOCKED)
        questions.messageBox("Port locked by background transfer!");
}

std::string replyOn(PortHandle port) {
    if (korlink::c_rxcount(port) <= 0)
        return {};
    std::string text = fill_str(port);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

PollResult pollReplies(PortHandle port, Questions &questions, const ReplyPoll &poll) {
    const auto stopped = [&poll] { return poll.stopped && poll.stopped(); };
    int count = 0;
    while (!stopped()) {
        poll.ask();
        if (!waitUnlessStopped(poll.waitMs, stopped) || stopped())
            break;
        if (poll.beforeReading)
            poll.beforeReading();
        std::string reply = replyOn(port);
        if (reply.empty()) {
            ++count;
        } else if (poll.isAnswer(reply)) {
            return {PollEnd::Answered, std::move(reply)};
        } else {
            count += poll.noiseCount;
            checkPort(port, questions);
        }
        if (count > poll.limit)
            return {PollEnd::GaveUp, {}};
    }
    return {PollEnd::Stopped, {}};
}

} // namespace trelm::retrieval
