#include "export/export_event.h"

#include "datafile/codes.h"
#include "export/export_eight.h"
#include "export/export_five.h"

namespace trelm {

Status exportByModel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName) {
    if (isEightChannel(source.header.modelFlag))
        return ExportEightChannel(csvPath, source, sourceName);
    return ExportFiveChannel(csvPath, source, sourceName);
}

} // namespace trelm
