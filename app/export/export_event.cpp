#include "export/export_event.h"

#include "datafile/codes.h"

namespace trelm {

namespace {

LabelStyle eightChannelLabels(std::int16_t samplerConfig) {
    const bool singleFilter = samplerConfig >= 0 && samplerConfig <= 3;
    return LabelStyle{singleFilter, singleFilter};
}

LabelStyle fiveChannelLabels(std::int16_t samplerConfig) {
    return LabelStyle{true, samplerConfig == 0};
}

} // namespace

Status ExportEightChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName) {
    return writeEventCsv(csvPath, source, sourceName, eightChannelLabels(source.event.samplerConfig));
}

Status ExportFiveChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName) {
    return writeEventCsv(csvPath, source, sourceName, fiveChannelLabels(source.event.samplerConfig));
}

Status exportByModel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName) {
    if (isEightChannel(source.header.modelFlag))
        return ExportEightChannel(csvPath, source, sourceName);
    return ExportFiveChannel(csvPath, source, sourceName);
}

} // namespace trelm
