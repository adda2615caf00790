// The string watch: up to four short strings looked for in the bytes c_getc
// takes, each with a host callback.
#include "byteio/byte_common.h"
#include "frame/library_state.h"

#include <algorithm>
#include <cstring>

using namespace korlink;

namespace {

constexpr int kWatchTextMax = 10;

int16_t addWatch(Port &port, const char *text, int16_t length, WatchCallback callback) {
    for (int16_t slot = 0; slot < 4; ++slot) {
        WatchSlot &watch = port.watch[slot];
        if (watch.callback != nullptr) continue;
        int copied = static_cast<int>(strnlen(text, std::max<int>(0, std::min<int>(length, kWatchTextMax))));
        watch = WatchSlot{};
        watch.callback = callback;
        std::memcpy(watch.text, text, copied);
        watch.length = static_cast<uint8_t>(copied);
        watch.active = 1;
        return slot;
    }
    return KORLINK_E_NO_MEMORY;
}

// Frees the first slot whose text begins with the first `length` characters
// of `text`; a length above 10 can never match.
int16_t removeWatch(Port &port, const char *text, int16_t length) {
    if (length < 0 || length > kWatchTextMax) return -1;
    for (int16_t slot = 0; slot < 4; ++slot) {
        WatchSlot &watch = port.watch[slot];
        if (watch.callback != nullptr && std::strncmp(watch.text, text, length) == 0) {
            watch = WatchSlot{};
            return slot;
        }
    }
    return -1;
}

}  // namespace

namespace korlink {

void watchUpdate(Port &port, int byte) {
    for (WatchSlot &watch : port.watch) {
        // A completed text waits for COMMWatchCheck: later bytes are not
        // compared with what lies past its end (its NUL, then nothing).
        if (watch.length == 0 || !watch.active || watch.position >= watch.length) continue;
        // A mismatch starts over without retrying this byte as a first
        // character: "OK" is not found in O, O, K.
        if (byte == static_cast<unsigned char>(watch.text[watch.position])) ++watch.position;
        else watch.position = 0;
    }
}

int16_t watchCheck(Port &port, bool &portGone) {
    PortHandle handle = handleOf(&port);
    int16_t result = 0;
    for (int16_t slot = 0; slot < 4; ++slot) {
        WatchSlot &watch = port.watch[slot];
        if (watch.length == 0 || watch.position != watch.length) continue;
        watch.position = 0;
        watch.active = 0;
        result = static_cast<int16_t>(watch.callback(handle, slot));
        // The callback may have closed the port; touch it only if still live.
        if (livePort(handle) != &port) {
            portGone = true;
            return result;
        }
        watch.active = 1;
    }
    return result;
}

}  // namespace korlink

extern "C" {

KORLINK_API int16_t COMMWatchSet(PortHandle handle, const char *text, int16_t length,
                                 WatchCallback callback) {
    Port *port = checkPort(handle, "COMMWatchSet()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    if (text == nullptr)
        return reportArgError(KORLINK_E_BAD_ARG2, "COMMWatchSet()", "ERROR: BADPARM1. Parameter is NULL");
    return callback != nullptr ? addWatch(*port, text, length, callback) : removeWatch(*port, text, length);
}

KORLINK_API int16_t COMMWatchUpdate(PortHandle handle, int16_t byte) {
    Port *port = checkPort(handle, "COMMWatchUpdate()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    watchUpdate(*port, byte);
    return KORLINK_OK;
}

KORLINK_API int16_t COMMWatchCheck(PortHandle handle) {
    Port *port = checkPort(handle, "COMMWatchCheck()");
    if (port == nullptr) return KORLINK_E_NULL_PORT;
    PortCall call(*port);
    bool portGone = false;
    return watchCheck(*port, portGone);
}

}  // extern "C"
