// A scripted Hayes modem on the far side of a pty pair, for the modem tests.
//
// It echoes command lines (E1) and answers them with verbose (V1) or numeric
// (V0) result codes as its rules say; a rule can connect (carrier up, online),
// answer with any text or stay silent. Online, three escape characters return
// it to command mode; with hangUpOnDtr it drops the carrier and says NO
// CARRIER when DTR goes low. Its carrier and the port's DTR travel through a
// lines folder (KORLINK_LINES<com>), as the library reads them on ptys.
// Everything the port sent is recorded.
#pragma once

#include "pty_pair.h"
#include "test_files.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace modemtest {

struct Rule {
    std::string command;  // matched against the start of the command after AT (and a bare Q)
    std::string text;     // verbose result text, or raw bytes with `raw`
    int number = 0;       // numeric result with verbose results off
    bool connects = false;
    bool silent = false;
    bool raw = false;     // send `text` exactly as it is
    bool anyLine = false; // matched against the start of any line, AT or not
    bool floods = false;  // keeps sending `text` (raw) until the test ends
};

class ScriptedModem {
public:
    // Makes the pty pair and the lines folder and exposes both as COM `com`;
    // the modem starts in command mode, echo and verbose on, carrier low.
    explicit ScriptedModem(int com);
    ~ScriptedModem();
    ScriptedModem(const ScriptedModem &) = delete;
    ScriptedModem &operator=(const ScriptedModem &) = delete;

    // Rules are tried in the order added; a command no rule matches gets OK.
    void addRule(const Rule &rule);
    void setEcho(bool on);
    void setVerbose(bool on);
    void setHangUpOnDtr(bool on);
    // Raises or drops carrier detect (online when raised).
    void setCarrier(bool high);

    // Everything the port has sent so far; waitFor waits until `text` is in
    // it or `limit` passed.
    std::string received() const;
    bool waitFor(const std::string &text, std::chrono::milliseconds limit = std::chrono::seconds(5)) const;
    // The DTR state the port last wrote ("1", "0", or "" when never).
    std::string dtr() const;

    testsupport::PtyPair &line() { return m_line; }

private:
    void run();
    void take(char byte);
    void commandLine(const std::string &line);
    void answer(const Rule &rule);
    void sendResult(const std::string &text, int number);
    void writeLineFile(const std::string &name, bool high);
    std::string readLineFile(const std::string &name) const;

    int m_com;
    testsupport::PtyPair m_line;
    testfiles::TempDir m_lines{"modem-lines"};
    mutable std::mutex m_lock;
    std::vector<Rule> m_rules;
    std::string m_received;
    std::string m_command;
    bool m_echo = true;
    bool m_verbose = true;
    bool m_hangUpOnDtr = false;
    bool m_online = false;
    int m_escapes = 0;
    std::string m_flood;      // sent again and again while not empty
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace modemtest
