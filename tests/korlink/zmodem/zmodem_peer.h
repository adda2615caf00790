// What the ZMODEM tests share: test files, and one transfer with lrzsz's sz
// or rz on the far side of a relayed pty pair (the relay counts the bytes).
#pragma once

#include "peer_link.h"

#include <chrono>
#include <string>
#include <vector>

namespace zmodemtest {

using namespace xfertest;

struct TestFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

inline constexpr auto peerLimit = std::chrono::seconds(90);

std::vector<TestFile> allValues();
std::vector<TestFile> emptyFile();
std::vector<TestFile> oneMegabyte();
std::vector<TestFile> severalWithSpaces();

// Writes `files` into `dir`; their names.
std::vector<std::string> writeFiles(const TempDir &dir, const std::vector<TestFile> &files);

// sz with `options` sends `files` from the peer's folder into freceive(110)
// in ours; the result of freceive and the peer's exit status.
struct Outcome {
    int16_t result = 0;
    int16_t lastError = 0;
    int peerStatus = 0;
    std::string peerLog;
};
Outcome peerSends(PeerLink &link, const std::vector<std::string> &names,
                  const std::vector<std::string> &options = {});
// fsend(110) sends `names` from our folder into rz with `options`.
Outcome weSend(PeerLink &link, const std::vector<std::string> &names,
               const std::vector<std::string> &options = {});

// The last reports of the transfer as "status:param" text, for failure messages.
std::string reportTrail(size_t last = 40);

}  // namespace zmodemtest
