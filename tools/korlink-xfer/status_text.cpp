#include "status_text.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "common/com_device.h"
#include "common/status_words.h"

namespace korlinkxfer {
namespace {

using namespace korlink::common;

std::string number(intptr_t value) { return std::to_string(static_cast<long long>(value)); }

// Codes 1 to 199 that a port leaves as its last error are the device's errno.
constexpr int kLastErrnoCode = 199;

}  // namespace

bool isPerBlockReport(int32_t status, intptr_t param) {
    if (status == KORLINK_STATUS_RECOGNISED) {
        const RecognisedRow *row = recognisedRow(param);
        return row && row->everyBlock;
    }
    const StatusRow *row = statusRow(status);
    return row && row->everyBlock;
}

std::string codeMeaning(int code) {
    if (const StatusRow *row = statusRow(code); row && row->meaning) return row->meaning;
    if (code > 0 && code <= kLastErrnoCode) return std::strerror(code);
    return "unknown code";
}

std::string deviceProblem(int com) {
    std::string path = comDevicePath(com);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return "cannot open " + path + ": " + std::strerror(errno);
    bool terminal = isatty(fd);
    ::close(fd);
    return "cannot open " + path + (terminal ? ": in use by another program" : ": not a serial device");
}

std::string describeStatus(int32_t status, intptr_t param, bool sending, bool packets) {
    // Kermit's acknowledgements carry the packet's sequence number.
    if (packets && status == KORLINK_STATUS_ACK_SENT) return "ACK sent for packet " + number(param);
    if (packets && status == KORLINK_STATUS_NAK_SENT) return "NAK sent for packet " + number(param);
    if (status == KORLINK_STATUS_RECOGNISED) {
        const RecognisedRow *row = recognisedRow(param);
        const Wording *wording = row ? &sideWording(row->received, row->sent, sending) : nullptr;
        if (!wording || wording->shows == Shows::Unworded) return "Control event " + number(param);
        return wordingText(*wording, param).value_or("");
    }
    const StatusRow *row = statusRow(status);
    const Wording *wording = row ? &sideWording(row->received, row->sent, sending) : nullptr;
    if (!wording || wording->shows == Shows::Unworded) return "Status " + number(status) + " (" + number(param) + ")";
    return wordingText(*wording, param).value_or("");
}

}  // namespace korlinkxfer
