// How long a send waits for a receiver's answer before it sends a block once
// more, learnt from the receiver's answers and the block's line time.
#pragma once

#include <cstdint>

namespace korlink::xmodemsend {

// Receivers commonly discard their input right after they answer (an ACK, a
// start character). Over a line that delivers at once (a pseudo-terminal, a
// relay, a fast link) a block sent straight after the answer can reach such
// a receiver before that discard and vanish whole; the receiver then sits
// out its own time-out of several seconds before it asks again, and a busy
// machine makes this frequent. Two defences keep a send moving:
//  - a data block met by silence for as long as it needs on
//    the line plus the answer allowance is sent once more at once, without
//    waiting out the time-out. A receiver that did have the first copy
//    acknowledges the repeat as well; that extra ACK is taken in before the
//    next block goes out, so it is never read as the next block's
//    acknowledgement;
//  - a header block, the end of a file and the end of a batch, which come
//    where the receiver turns to a new phase, wait a grace first: a moment
//    in which the receiver finishes its discard.
// Both follow the receiver's pace, the time its answers take beyond the
// line time: the allowance is their smoothed mean plus four times their
// spread, between minAllowanceMs and maxAllowanceMs, or the block's line time
// when that is longer (the floor keeps a receiver that is only descheduled
// for a moment from drawing copies; on a slow line a copy costs its line
// time, so no copy goes out sooner than that could have saved); the
// grace is the mean plus twice the spread, up to maxGraceMs. A receiver
// that answers every copy too (it loses nothing, only answers late at times)
// raises the allowance's ceiling, so a slow answer no longer draws a copy. Both start at
// their maximum, so a slow receiver is never hurried before its pace is
// known.
inline constexpr double minAllowanceMs = 100;
inline constexpr double maxAllowanceMs = 250;
inline constexpr double maxGraceMs = 100;
inline constexpr int maxWasteScale = 8;
inline constexpr int32_t eotPatienceMs = 1500;
// Attempts at the end of a file or batch: their silences bound how long a
// receiver that vanished with the last answer can hold the send.
inline constexpr int endAttempts = 3;

class AnswerPace {
public:
    // One answer that came `ms` after the block had left the line.
    void sample(double ms);
    // The silence beyond a block's line time after which a copy goes out.
    // A copy costs its line time, so on a slow line (`lineMs` above
    // maxAllowanceMs) the allowance may grow to the line time; before the
    // first answer it is that ceiling.
    int32_t allowanceMs(int32_t lineMs = 0) const;
    int32_t graceMs() const;
    // What became of a block's copies: every one answered (the receiver had
    // the block, the copies only cost line time) or one left unanswered (a
    // receiver that throws input away, which the copies are for). Copies
    // that keep being wasted make the allowance's ceiling grow, up to
    // maxWasteScale times; a needed one brings it back down.
    void copiesAnswered(bool all);

private:
    double m_meanMs = 0;
    double m_spreadMs = maxAllowanceMs / 4;
    int m_samples = 0;
    int m_wasteScale = 1;
};

}  // namespace korlink::xmodemsend
