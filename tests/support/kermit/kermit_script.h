// The test's own side of a Kermit link on a pty pair: packets built and
// read the way the protocol lays them out, independently of the library.
#pragma once

#include "pty_pair.h"
#include "xfer_fixture.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kermittest {

struct Packet {
    char type = 0;
    int seq = 0;
    std::string data;
    bool checkOk = false;   // one type-1 check character, matching
    char eol = 0;           // the character after the check
};

// A packet with a type-1 check, ended by CR.
std::string makePacket(char type, int seq, const std::string &data);

// Send-Init data: MAXL 94, TIME 10, no padding, EOL CR, '#', 'Y', '1', '~'.
std::string defaultInit();

// The next packet the library sent, or nothing within `limit`.
std::optional<Packet> readPacket(testsupport::PtyPair &line,
                                 std::chrono::milliseconds limit = std::chrono::seconds(10));

// One step of a scripted peer: send a packet, send raw bytes (`data`),
// expect the library's next packet (type, sequence number and, when given,
// data), or cancel.
struct Step {
    enum Kind { Send, Raw, Expect, Cancel } kind;
    char type;
    int seq;
    std::string data;
};

inline Step send(char type, int seq, std::string data = {}) { return {Step::Send, type, seq, std::move(data)}; }
inline Step expect(char type, int seq, std::string data = {}) {
    return {Step::Expect, type, seq, std::move(data)};
}
inline Step raw(std::string bytes) { return {Step::Raw, 0, 0, std::move(bytes)}; }
inline Step cancel() { return {Step::Cancel, 0, 0, {}}; }

inline std::vector<Step> operator+(std::vector<Step> a, const std::vector<Step> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Plays the steps against the library on `port` (the transfer runs on
// another thread). A second answer to a repeated Send-Init is skipped.
// Failures are reported through GoogleTest; the first missing packet ends
// the script.
void playSteps(xfertest::OpenPort &port, const std::vector<Step> &steps);

}  // namespace kermittest
