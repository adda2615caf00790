// Byte translations shared by the transmit and receive options, and the
// handle check of the byte operations.
#include "byteio/byte_common.h"

#include "frame/library_state.h"

#include <cctype>

namespace korlink {

Port *bytePort(PortHandle handle, const char *function, int16_t &refusal) {
    Port *port = checkPort(handle, function);
    if (port == nullptr) {
        refusal = KORLINK_E_NULL_PORT;
        return nullptr;
    }
    if (heldByBackground(*port)) {
        refusal = KORLINK_E_LOCKED;
        return nullptr;
    }
    return port;
}

namespace {

constexpr int CR = '\r';
constexpr int LF = '\n';

// Modes 5 to 7 turn every line end (CR, LF or CR LF) into one form; the LF
// of a CR LF pair is swallowed because the CR already produced the form.
LineEndingResult unifyLineEnd(int previous, int byte, int first, int second) {
    if (byte == CR) return {first, second};
    if (byte == LF) {
        if (previous == CR) return {-1, -1};
        return {first, second};
    }
    return {byte, -1};
}

}  // namespace

LineEndingResult translateLineEnding(int mode, int previous, int byte) {
    switch (mode) {
    case 1: return byte == CR ? LineEndingResult{CR, LF} : LineEndingResult{byte, -1};
    case 2: return byte == LF ? LineEndingResult{CR, LF} : LineEndingResult{byte, -1};
    case 3: return {byte == CR ? LF : byte, -1};
    case 4: return {byte == LF ? CR : byte, -1};
    case 5: return unifyLineEnd(previous, byte, CR, -1);
    case 6: return unifyLineEnd(previous, byte, LF, -1);
    case 7: return unifyLineEnd(previous, byte, CR, LF);
    case 8: return {byte == CR ? -1 : byte, -1};
    default: return {byte, -1};
    }
}

int convertCase(int mode, int byte) {
    if (mode == CaseUpper) return std::toupper(static_cast<unsigned char>(byte));
    if (mode == CaseLower) return std::tolower(static_cast<unsigned char>(byte));
    return byte;
}

}  // namespace korlink
