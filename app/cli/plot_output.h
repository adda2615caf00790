// How the plot command reaches the drawing. The command line library is
// free of Qt; the program installs the renderer of its Qt layer at start.
#pragma once

#include <functional>
#include <string>

#include "datafile/result.h"
#include "plots/plot_data.h"
#include "plots/plot_format.h"

namespace trelm::cli {

// The picture's bytes in the format at width x height.
using PlotRenderer = std::function<Result<std::string>(const plots::PlotData &, plots::PlotFormat, int, int)>;

// Without an installed renderer, "plot" fails with a clear message.
void setPlotRenderer(PlotRenderer renderer);

} // namespace trelm::cli
