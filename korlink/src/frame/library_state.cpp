// Library-wide state: live port objects, last-error and close codes, the
// report switch and hook, the host's pump hook and posted keys.
#include "frame/library_state.h"

#include <cstdarg>
#include <cstdio>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace korlink {

namespace {

// Live ports are looked up by address, so a stale handle is recognised
// without being dereferenced. A background transfer adds its private copy
// from another thread, hence the lock.
std::mutex g_liveLock;
std::set<Port *> g_live;

int32_t g_libraryError = 0;
int32_t g_closeCode = 0;
bool g_reportSwitch = true;
void (*g_reportHook)(const char *, const char *) = nullptr;

// The host's pump is only ever called on the thread that installed it; a
// background transfer's waits see posted keys only.
int (*g_pumpHook)(void) = nullptr;
std::thread::id g_pumpThread;
thread_local bool t_insidePump = false;

std::mutex g_keyLock;
std::deque<int> g_postedKeys;

}  // namespace

Port *livePort(PortHandle handle) {
    if (handle == nullptr) return nullptr;
    Port *port = reinterpret_cast<Port *>(handle);
    std::lock_guard<std::mutex> guard(g_liveLock);
    return g_live.count(port) ? port : nullptr;
}

Port *checkPort(PortHandle handle, const char *function) {
    Port *port = livePort(handle);
    if (port == nullptr)
        reportArgError(KORLINK_E_NULL_PORT, function, "ERROR: BADPARM0. Parameter is NULL");
    return port;
}

void addLive(Port *port) {
    std::lock_guard<std::mutex> guard(g_liveLock);
    g_live.insert(port);
}

void removeLive(Port *port) {
    std::lock_guard<std::mutex> guard(g_liveLock);
    g_live.erase(port);
}

int16_t reportArgError(int16_t code, const char *function, const char *format, ...) {
    if (!g_reportSwitch) return code;
    char message[256];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    std::string text = std::string(message) + "\r\nFunction: " + function;
    if (g_reportHook != nullptr) {
        g_reportHook(kReportTitle, text.c_str());
    } else {
        // One line on stderr: the line break of the box text becomes a space.
        std::fprintf(stderr, "%s: %s Function: %s\n", kReportTitle, message, function);
    }
    return code;
}

void setLibraryError(int32_t code) { g_libraryError = code; }
int32_t takeLibraryError() {
    int32_t code = g_libraryError;
    g_libraryError = 0;
    return code;
}
void setCloseCode(int32_t code) { g_closeCode = code; }

bool reportSwitch() { return g_reportSwitch; }
void setReportSwitch(bool on) { g_reportSwitch = on; }


bool tickReached(uint32_t deadline) {
    return static_cast<int32_t>(tickMs() - deadline) >= 0;
}

void postKey(int keyCode) {
    std::lock_guard<std::mutex> guard(g_keyLock);
    g_postedKeys.push_back(keyCode);
}

int pumpOnce() {
    {
        std::lock_guard<std::mutex> guard(g_keyLock);
        if (!g_postedKeys.empty()) {
            int key = g_postedKeys.front();
            g_postedKeys.pop_front();
            return key;
        }
    }
    return pumpHost();
}

int pumpHost() {
    if (g_pumpHook == nullptr || t_insidePump) return 0;
    if (std::this_thread::get_id() != g_pumpThread) return 0;
    t_insidePump = true;
    int key = g_pumpHook();
    t_insidePump = false;
    return key;
}

int16_t cancelCheck(Port &port) {
    int cancelKey = port.cancelKey;
    PortHandle handle = handleOf(&port);
    int key = pumpOnce();
    if (livePort(handle) != &port) return KORLINK_E_NULL_PORT;
    return key != 0 && key == cancelKey ? KORLINK_E_CANCELLED : 0;
}

}  // namespace korlink

using namespace korlink;

extern "C" {

KORLINK_API void COMMPumpHookSet(int (*pump)(void)) {
    g_pumpHook = pump;
    g_pumpThread = std::this_thread::get_id();
}

KORLINK_API void COMMReportHookSet(void (*report)(const char *title, const char *text)) {
    g_reportHook = report;
}

}  // extern "C"
