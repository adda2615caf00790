#include "datafile/codes.h"

#include <array>
#include <cstdio>

namespace trelm {

std::string ModelName(std::int16_t modelFlag) {
    return isEightChannel(modelFlag) ? "Super TRELM" : "TRELM";
}

std::string FirmwareText(std::int16_t firmware) {
    // The word is read unsigned, so a firmware word above 0x7FFF still shows
    // its two bytes (0xFF01 gives FF.1) instead of a negative number.
    const auto word = static_cast<std::uint16_t>(firmware);
    char text[8];
    std::snprintf(text, sizeof text, "%X.%X", word >> 8, word & 0xFF);
    return text;
}

std::string StatusName(std::int16_t status) {
    static const std::array<const char *, 5> names = {"Waiting", "Starting", "Sampling", "Stopping",
                                                      "Finished"};
    if (status >= 1 && status <= 5)
        return names[status - 1];
    return "Bogas";
}

namespace {

// Filter channels of the eight-channel configurations 0..11.
const std::array<std::vector<int>, 12> kEightChannelFilters = {{
    {1}, {2}, {3}, {4}, {1, 2}, {3, 4}, {5, 6}, {7, 8}, {1, 2, 3}, {5, 6, 7}, {1, 2, 3, 4}, {5, 6, 7, 8},
}};

constexpr int kFiveChannelConfigs = 5; // code k: canisters 1..k+1

} // namespace

ActiveChannels activeChannels(std::int16_t modelFlag, std::int16_t samplerConfig) {
    ActiveChannels channels;
    if (isEightChannel(modelFlag)) {
        if (samplerConfig < 0 || samplerConfig >= static_cast<int>(kEightChannelFilters.size()))
            return channels;
        channels.filters = kEightChannelFilters[samplerConfig];
        for (int c : channels.filters)
            channels.canisters.push_back(Canister{(c - 1) % 4 + 1, c});
        return channels;
    }
    if (samplerConfig < 0 || samplerConfig >= kFiveChannelConfigs)
        return channels;
    channels.filters = {1};
    for (int k = 1; k <= samplerConfig + 1; ++k)
        channels.canisters.push_back(Canister{k, k});
    return channels;
}

} // namespace trelm
