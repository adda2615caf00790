#include "export/export_event.h"

#include "datafile/atomic_file.h"
#include "datafile/codes.h"
#include "export/csv_event.h"

namespace trelm {

namespace {

constexpr std::int16_t kEightChannelFlag = 1;
constexpr std::int16_t kFiveChannelFlag = 0;

Status writeCsv(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName,
                std::int16_t modelFlag, MessagePort &messages) {
    if (csvPath.empty())
        return Done{};
    const ShownMessage shown(messages, "Exporting data...");
    const LabelForms labels = labelFormsOf(modelFlag, source.event.samplerConfig);
    return writeFileAtomically(csvPath, composeEventCsv(source, sourceName, labels));
}

} // namespace

Status ExportEightChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName,
                          MessagePort &messages) {
    return writeCsv(csvPath, source, sourceName, kEightChannelFlag, messages);
}

Status ExportFiveChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName,
                         MessagePort &messages) {
    return writeCsv(csvPath, source, sourceName, kFiveChannelFlag, messages);
}

Status exportByModel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName,
                     MessagePort &messages) {
    if (isEightChannel(source.header.modelFlag))
        return ExportEightChannel(csvPath, source, sourceName, messages);
    return ExportFiveChannel(csvPath, source, sourceName, messages);
}

CsvExport csvExportByModel(MessagePort &messages) {
    return [&messages](const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName) {
        return exportByModel(csvPath, source, sourceName, messages);
    };
}

std::string csvTextByModel(const EventFile &source, const std::string &sourceName) {
    return composeEventCsv(source, sourceName, labelFormsOf(source.header.modelFlag, source.event.samplerConfig));
}

} // namespace trelm
