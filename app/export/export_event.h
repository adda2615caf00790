// CSV export of an event file. The two models share one layout and differ
// only in their channel labels (labelFormsOf in the statistics catalogue).
// Each export shows "Exporting data..." on the message port while it runs.
#pragma once

#include <filesystem>
#include <string>

#include "datafile/event_file.h"
#include "datafile/intake.h"
#include "datafile/message_port.h"
#include "datafile/result.h"

namespace trelm {

// The CSV of `source` written to csvPath in one piece (temporary file,
// rename), with the eight- or five-channel labels; `sourceName` is the
// "File:" item. An empty csvPath writes and shows nothing.
Status ExportEightChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName,
                          MessagePort &messages);
Status ExportFiveChannel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName,
                         MessagePort &messages);
// The five- or eight-channel export, by the file's model flag.
Status exportByModel(const std::filesystem::path &csvPath, const EventFile &source, const std::string &sourceName,
                     MessagePort &messages);
// The intake's CSV export: exportByModel with these messages. The port must
// outlive the function.
CsvExport csvExportByModel(MessagePort &messages);
// The CSV text exportByModel writes.
std::string csvTextByModel(const EventFile &source, const std::string &sourceName);

} // namespace trelm
