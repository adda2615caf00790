// Series extraction: an event's plots from its header, record and log, as
// the data log grid shows them (its columns, names, units and scaling; the
// log ends at the first zero stamp, as the file reader ends it).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "datafile/records.h"
#include "datafile/result.h"
#include "plots/plot_data.h"

namespace plots {

PlotData eventPlot(const std::string &title, const trelm::FileHeader &header, const trelm::EventRecord &event,
                   const std::vector<trelm::LogRecord> &log);

// Reads the event file and extracts its plots, titled with the file's name.
trelm::Result<PlotData> readEventPlot(const std::filesystem::path &path);

} // namespace plots
