#include "korlink_binder/korlink_binder.h"

#include <dlfcn.h>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace trelm::korlink {

namespace {

struct Binding {
    void *library = nullptr;
    std::string override;    // set by useLibrary
    unsigned generation = 1; // raised by useLibrary, so cached exports are looked up again
    MissingReport report;
    LoadedHook loaded;
};

Binding &binding() {
    static Binding state;
    return state;
}

void tell(const std::string &message) {
    if (binding().report)
        binding().report(message);
    else
        std::cerr << "trelmlink: " << message << '\n';
}

// One export's cached address, valid for one generation of the binding.
struct Slot {
    void *address = nullptr;
    unsigned generation = 0;
};

template <typename Function>
Function bound(const char *name, Slot &slot) {
    Binding &state = binding();
    if (slot.address && slot.generation == state.generation)
        return reinterpret_cast<Function>(slot.address);
    if (!ready())
        return nullptr;
    dlerror();
    void *address = dlsym(state.library, name);
    if (!address) {
        tell(libraryCandidate() + ": the serial library has no function " + name +
             "; the serial functions cannot be used");
        return nullptr;
    }
    slot = Slot{address, state.generation};
    return reinterpret_cast<Function>(address);
}

} // namespace

// Binds the export named like the wrapper it stands in, into `function`.
#define KORLINK_BIND(name)                                                                                         \
    static Slot slot;                                                                                              \
    const auto function = bound<decltype(&::name)>(#name, slot)

void setMissingReport(MissingReport report) { binding().report = std::move(report); }

void setLoadedHook(LoadedHook hook) { binding().loaded = std::move(hook); }

std::string libraryCandidate() {
    if (!binding().override.empty())
        return binding().override;
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path beside = program.parent_path() / kLibraryName;
        if (std::filesystem::exists(beside, error))
            return beside.string();
    }
    return kLibraryName;
}

bool ready() {
    Binding &state = binding();
    if (state.library)
        return true;
    const std::string candidate = libraryCandidate();
    dlerror();
    state.library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!state.library) {
        const char *reason = dlerror();
        tell(candidate + ": the serial library cannot be loaded (" + (reason ? reason : "unknown reason") +
             "); the serial functions cannot be used");
        return false;
    }
    if (state.loaded)
        state.loaded();
    return true;
}

void useLibrary(const std::string &fileOrName) {
    Binding &state = binding();
    state.override = fileOrName;
    state.library = nullptr;
    ++state.generation;
}

void COMMPumpHookSet(int (*pump)(void)) {
    KORLINK_BIND(COMMPumpHookSet);
    if (function)
        function(pump);
}

void COMMReportHookSet(void (*report)(const char *title, const char *text)) {
    KORLINK_BIND(COMMReportHookSet);
    if (function)
        function(report);
}

PortHandle COMMWinInit(std::int16_t port, std::int32_t baud, std::int16_t dataBits, std::int16_t parity,
                       std::int16_t stopBits, std::int16_t rxBufferSize, std::int16_t txBufferSize) {
    KORLINK_BIND(COMMWinInit);
    return function ? function(port, baud, dataBits, parity, stopBits, rxBufferSize, txBufferSize) : nullptr;
}

std::int16_t COMMPortDeinit(PortHandle port, std::int16_t keepSettings) {
    KORLINK_BIND(COMMPortDeinit);
    return function ? function(port, keepSettings) : kUnbound;
}

std::int16_t COMMPortsDeinitAll() {
    KORLINK_BIND(COMMPortsDeinitAll);
    return function ? function() : kUnbound;
}

std::int16_t COMMErrnoGet(PortHandle port) {
    KORLINK_BIND(COMMErrnoGet);
    return function ? function(port) : kUnbound;
}

std::int16_t c_putc(PortHandle port, std::int16_t byte) {
    KORLINK_BIND(c_putc);
    return function ? function(port, byte) : kUnbound;
}

std::int16_t c_puts(PortHandle port, const char *text) {
    KORLINK_BIND(c_puts);
    return function ? function(port, text) : kUnbound;
}

std::int16_t c_getc(PortHandle port) {
    KORLINK_BIND(c_getc);
    return function ? function(port) : kUnbound;
}

std::int16_t c_inchar(PortHandle port) {
    KORLINK_BIND(c_inchar);
    return function ? function(port) : kUnbound;
}

std::int16_t c_waitc(PortHandle port, std::int16_t wanted, std::int32_t timeoutMs) {
    KORLINK_BIND(c_waitc);
    return function ? function(port, wanted, timeoutMs) : kUnbound;
}

std::int16_t c_rxcount(PortHandle port) {
    KORLINK_BIND(c_rxcount);
    return function ? function(port) : kUnbound;
}

std::int16_t c_rxflush(PortHandle port, std::int16_t count) {
    KORLINK_BIND(c_rxflush);
    return function ? function(port, count) : kUnbound;
}

std::int16_t freceive(PortHandle port, std::int16_t protocol, std::int32_t bufferSize, StatusCallback callback,
                      std::int16_t background) {
    KORLINK_BIND(freceive);
    return function ? function(port, protocol, bufferSize, callback, background) : kUnbound;
}

std::int16_t COMMXferCancel(PortHandle port) {
    KORLINK_BIND(COMMXferCancel);
    return function ? function(port) : kUnbound;
}

std::intptr_t COMMXMODEMGet(PortHandle port, std::int16_t item) {
    KORLINK_BIND(COMMXMODEMGet);
    return function ? function(port, item) : kUnbound;
}

std::int16_t COMMXMODEMSet(PortHandle port, std::int16_t item, std::intptr_t value) {
    KORLINK_BIND(COMMXMODEMSet);
    return function ? function(port, item, value) : kUnbound;
}

std::uint32_t ms_pause(std::int32_t ms) {
    KORLINK_BIND(ms_pause);
    return function ? function(ms) : 0;
}

} // namespace trelm::korlink
