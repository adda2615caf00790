// Code tables of the sampler: model, firmware, event status, and which filter
// channels and canister slots a sampling configuration uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trelm {

std::string ModelName(std::int16_t modelFlag);
std::string FirmwareText(std::int16_t firmware);
std::string StatusName(std::int16_t status);

inline bool isEightChannel(std::int16_t modelFlag) { return modelFlag != 0; }

// A canister as an event names it. On the eight-channel model filter channel
// c feeds canister slot ((c - 1) mod 4) + 1 and the canister is labelled c;
// on the five-channel model canister k is slot k, labelled k.
struct Canister {
    int slot = 0;  // 1..5: statistic block 7 + slot, log flow field slot - 1
    int label = 0; // the number shown to the user
};

struct ActiveChannels {
    std::vector<int> filters;        // filter channel numbers 1..8, ascending
    std::vector<Canister> canisters; // ascending by label
};

// Channels selected by (model flag, SamplerConfig); a code outside the
// model's table selects none.
ActiveChannels activeChannels(std::int16_t modelFlag, std::int16_t samplerConfig);

} // namespace trelm
