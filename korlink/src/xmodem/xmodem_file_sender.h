// The sender of one XMODEM-family send: the flow of a batch and its files
// (xmodem_send.cpp), and how a block is answered and repeated
// (xmodem_send_answers.cpp).
#pragma once

#include "transfer/send_queue.h"
#include "transfer/transfer_link.h"
#include "transfer/transfer_status.h"
#include "xmodem/xmodem_send_block.h"
#include "xmodem/xmodem_send_pace.h"
#include "xmodem/xmodem_settings.h"

#include <cstdint>

namespace korlink::xmodemsend {

inline constexpr int32_t READY = 0;
inline constexpr int32_t REPLY_NONE = 1;   // keep waiting: a CAN below the limit

// A block (or EOT) on its way: when its latest attempt went out, the line
// time it needs at the port's rate, the silence after which a copy goes out
// once more, and how many copies the receiver may still answer.
struct Pending {
    uint32_t sentAt = 0;
    uint32_t lastCopyAt = 0;  // when the latest copy went out
    int32_t lineMs = 0;
    int32_t silenceMs = 0;
    int32_t patienceMs = 0;   // the part of the silence beyond the line time
    uint32_t deadline = 0;
    int unanswered = 0;
    bool repeated = false;
};

class FileSender {
public:
    FileSender(TransferLink &link, XmodemSettings &settings, SendQueue &queue)
        : m_link(link), m_settings(settings), m_queue(queue), m_protocol(queue.protocol),
          m_blockSize(queue.protocol >= KORLINK_PROTO_XMODEM_1K ? 1024 : 128),
          m_canLimit(settings.canLimit) {}

    int16_t run();

private:
    int32_t awaitStart();
    int32_t readyFor(int byte);
    int assumedStart() const;
    int32_t sendFile();
    int32_t sendHeader();
    int32_t sendData();
    int32_t sendEot();
    int32_t sendEnd(const Block &end);
    int32_t sendUntilAccepted(const Block &block, bool headerBlock);
    void sendAttempt(const Block &block, Pending &pending, int32_t patienceMs);
    int awaitAnswer(const Block &block, int attempt, Pending &pending);
    int32_t takeExtraAcks(const Pending &pending);
    int32_t lineTimeMs(size_t blockLength) const;
    static int32_t slowLineTimeMs(int32_t lineMs);
    int32_t answerTo(int reply, int attempt);
    int32_t countCan();
    int32_t cancelSend();
    int32_t pollStreaming();
    void finishFile(int32_t code);
    void endBatch();
    bool batch() const { return m_protocol >= KORLINK_PROTO_YMODEM; }
    intptr_t position() const { return static_cast<intptr_t>(m_blockSize * m_blockNumber); }

    TransferLink &m_link;
    XmodemSettings &m_settings;
    SendQueue &m_queue;
    int16_t m_protocol;
    size_t m_blockSize;
    int16_t m_canLimit;
    bool m_crc = true;
    int m_canCount = 0;
    uint32_t m_blockNumber = 0;
    AnswerPace m_answers;
};

}  // namespace korlink::xmodemsend
