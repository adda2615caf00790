// What a transfer reports, gathered while it runs: the progress line of the
// current file, the totals for the closing summary, the sender's file times
// applied to received files, and what a failure leaves behind.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace korlinkxfer {

class Session {
public:
    // `verbose`: every report as a line, no progress line; `packets`: the
    // protocol's acknowledgements carry packet numbers (Kermit).
    Session(bool sending, bool verbose, bool packets = false);

    // One status report of the library, as its callback receives it.
    void onReport(int32_t status, intptr_t param);

    // Ends a progress line still open on the terminal.
    void closeProgress();

    // "2 files, 1536 bytes in 0.4 s (3.8 kB/s)".
    std::string summary() const;

    // A sentence on what a failed transfer did achieve (all blocks through
    // but the end unconfirmed; a partial file kept), or empty.
    std::string outcome(int code) const;
    // A note on a send that succeeded without the receiver confirming its
    // end (status 4031); empty when there is none.
    std::string note() const;

private:
    using Clock = std::chrono::steady_clock;

    void startFile(const char *name);
    void endFile();
    void printLine(int32_t status, intptr_t param);
    void drawProgress(bool final);
    std::string progressText() const;
    void applyFileTime() const;

    bool m_sending;
    bool m_verbose;
    bool m_packets;
    bool m_terminal;
    Clock::time_point m_start = Clock::now();

    // The file being transferred.
    std::string m_name;
    bool m_open = false;           // between its opening and its close
    bool m_complete = false;       // it ended well
    bool m_endOfBatch = false;     // the empty header: not a file
    int64_t m_length = -1;
    int64_t m_bytes = 0;
    int64_t m_blockSize = 0;       // sending: the step of the byte counts
    bool m_endConfirmed = false;   // sending: the receiver acknowledged EOT
    bool m_endUnconfirmed = false; // sending: the end went unanswered (4031)
    bool m_shortFile = false;      // receiving: ended before its length (4030)
    int64_t m_fileTime = 0;
    Clock::time_point m_fileStart{};
    Clock::time_point m_lastDraw{};
    bool m_progressShown = false;

    int m_files = 0;
    int64_t m_totalBytes = 0;
};

}  // namespace korlinkxfer
