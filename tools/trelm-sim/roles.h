// What each simulated device answers on the line. Every role reads the
// program's bytes through the serial library and stops when asked.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "korlink.h"

namespace trelmsim {

struct RoleContext {
    PortHandle port = nullptr;
    const std::atomic<bool> *stop = nullptr;
    std::function<void(int byte)> logByte;  // every byte the program sent
    std::function<int()> sendImage;         // sends the memory image; 0 success
    bool once = false;                      // return after the first transfer
    int transfers = 0;
    int lastResult = 0;
    std::string dialled;
    int modemDelayMs = 0;                   // modem role: the pause before answering the modem check
};

// The sampler: one CR for each CR; ESC "{TFH" CR or ESC "{TFA" CR starts the
// transfer of the memory image.
void serveSampler(RoleContext &context);
// A data module: a line holding "*" for a CR, then 'p', '0', CR, CR, 'b'
// starts the transfer; it never asks anything.
void serveModule(RoleContext &context);
// A Hayes modem in front of a sampler: "OK" for every AT command line,
// "CONNECT 9600" shortly after ATDT<number>, then the sampler. With
// modemDelayMs an AT line ended by CR LF (the program's modem check) is
// answered that much later; the probe's AT CR at once.
void serveModem(RoleContext &context);
// Takes every byte and answers nothing.
void serveSilent(RoleContext &context);
// Answers every burst with bytes that mean nothing to the program: never a
// lone CR, never "*", "OK" or "CONNECT".
void serveNoise(RoleContext &context);

}  // namespace trelmsim
