#include "export/export_eight.h"

namespace trelm {

LabelStyle eightChannelLabels(std::int16_t samplerConfig) {
    const bool singleFilter = samplerConfig >= 0 && samplerConfig <= 3;
    return LabelStyle{singleFilter, singleFilter};
}

Status ExportEightChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName) {
    return writeEventCsv(csvPath, source, sourceName, eightChannelLabels(source.event.samplerConfig));
}

} // namespace trelm
