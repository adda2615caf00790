#include "export/export_five.h"

namespace trelm {

LabelStyle fiveChannelLabels(std::int16_t samplerConfig) {
    return LabelStyle{true, samplerConfig == 0};
}

Status ExportFiveChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName) {
    return writeEventCsv(csvPath, source, sourceName, fiveChannelLabels(source.event.samplerConfig));
}

} // namespace trelm
