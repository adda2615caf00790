#include "grids/data_log_columns.h"

namespace grids {

using trelm::LogQuantity;

std::vector<DataLogColumn> dataLogColumns(const GridChannels &channels) {
    constexpr const char *kTemperatureUnit = "Deg C";
    std::vector<DataLogColumn> columns = {{"Ambient T", kTemperatureUnit, LogQuantity::Ambient, 0},
                                          {"Pressure", "mmHg", LogQuantity::Pressure, 0}};
    const bool withChannels = !channels.channels.empty();
    // The five-channel grid always shows its one filter; the eight-channel
    // grid shows filters only with channels.
    if (withChannels || !channels.eightChannel)
        for (int filter : channels.filters)
            columns.push_back({"Filter " + std::to_string(filter) + " T", kTemperatureUnit,
                               LogQuantity::FilterTemperature, filter});
    if (!withChannels)
        return columns;
    for (const trelm::Canister &canister : channels.channels)
        columns.push_back({"Flow " + std::to_string(canister.label), "L/min", LogQuantity::Flow, canister.slot});
    columns.push_back({"Pump Box T", kTemperatureUnit, LogQuantity::PumpBox, 0});
    return columns;
}

std::string dataLogText(const trelm::LogRecord &record, const DataLogColumn &column) {
    return trelm::formatScaled(trelm::storedLogValue(record, column.quantity, column.channel),
                               trelm::logDecimals(column.quantity));
}

} // namespace grids
