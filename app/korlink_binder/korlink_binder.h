// The program's access to the serial library libkorlink.so. The library is
// not linked: it is loaded by name on the first serial call (beside the
// executable first, then the normal library search path) and each export is
// looked up on its own first call. Opening, exporting and printing saved
// files therefore work without the library; a serial call that cannot be
// bound reports one message naming the library or the export and the reason,
// and returns kUnbound (a null handle for COMMWinInit, 0 for ms_pause).
//
// Everything here runs on the user-interface thread, as every serial call
// of the program does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "korlink.h"

namespace trelm::korlink {

// Result of a call whose library or export could not be bound. It lies
// outside the library's own codes, so it is never mistaken for one of them.
inline constexpr std::int16_t kUnbound = -200;

inline constexpr const char *kLibraryName = "libkorlink.so";

// Where binding failures are told. The default writes one line to stderr;
// the window installs its message box.
using MissingReport = std::function<void(const std::string &message)>;
void setMissingReport(MissingReport report);

// Run once, right after the library has been loaded: the window installs
// its message pump and report box here.
using LoadedHook = std::function<void()>;
void setLoadedHook(LoadedHook hook);

// Loads the library when not yet loaded. False after reporting why it
// cannot be loaded; a later call tries again.
bool ready();

// The library's own file chosen for loading: beside the running program when
// it is there, else the bare name for the search path. Tests pass another
// name through useLibrary.
std::string libraryCandidate();

// For tests: load this file or name instead of libkorlink.so (empty text:
// the usual one again), forgetting every binding made so far; the library
// loaded before stays in memory.
void useLibrary(const std::string &fileOrName);

// The exports the program uses, with the library's own names and types.
void COMMPumpHookSet(int (*pump)(void));
void COMMReportHookSet(void (*report)(const char *title, const char *text));
PortHandle COMMWinInit(std::int16_t port, std::int32_t baud, std::int16_t dataBits, std::int16_t parity,
                       std::int16_t stopBits, std::int16_t rxBufferSize, std::int16_t txBufferSize);
std::int16_t COMMPortDeinit(PortHandle port, std::int16_t keepSettings);
std::int16_t COMMPortsDeinitAll();
std::int16_t COMMErrnoGet(PortHandle port);
std::int16_t c_putc(PortHandle port, std::int16_t byte);
std::int16_t c_puts(PortHandle port, const char *text);
std::int16_t c_getc(PortHandle port);
std::int16_t c_inchar(PortHandle port);
std::int16_t c_waitc(PortHandle port, std::int16_t wanted, std::int32_t timeoutMs);
std::int16_t c_rxcount(PortHandle port);
std::int16_t c_rxflush(PortHandle port, std::int16_t count);
std::int16_t freceive(PortHandle port, std::int16_t protocol, std::int32_t bufferSize, StatusCallback callback,
                      std::int16_t background);
std::int16_t COMMXferCancel(PortHandle port);
std::intptr_t COMMXMODEMGet(PortHandle port, std::int16_t item);
std::int16_t COMMXMODEMSet(PortHandle port, std::int16_t item, std::intptr_t value);
std::uint32_t ms_pause(std::int32_t ms);

} // namespace trelm::korlink
