#include "grids/fill_grids.h"

#include "datafile/event_file.h"
#include "grids/channel_layouts.h"
#include "grids/data_log_fillers.h"
#include "grids/event_fillers.h"
#include "grids/grid_setups.h"

namespace grids {

trelm::Result<FillOutcome> FillGrids(GridSet &grids, const std::filesystem::path &path,
                                     trelm::MessagePort &messages) {
    Clear_Grids(grids);
    if (path.empty())
        return FillOutcome{};
    const trelm::ShownMessage shown(messages, "Filling Grids...");
    clearDataLogHeaders(grids);
    auto file = trelm::readEventFile(path);
    if (!file)
        return file.error();
    trelm::EventFile &event = file.value();
    const GridChannels channels = gridChannels(event.header.modelFlag, event.event.samplerConfig);
    if (channels.eightChannel) {
        fillEightChannelEvent(grids, event.header, event.event);
        fillEightChannelDataLog(grids.MSFlexGrid2, channels, event.log);
    } else {
        fillFiveChannelEvent(grids, event.header, event.event);
        fillFiveChannelDataLog(grids.MSFlexGrid2, channels, event.log);
    }
    const std::size_t rows = event.log.size();
    return FillOutcome{true, event.header, event.event, rows, std::move(event.log)};
}

} // namespace grids
