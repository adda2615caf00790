// The picture formats of the plots, chosen by the output's extension, and
// the picture size asked for on the command line.
#pragma once

#include <optional>
#include <string>

namespace plots {

enum class PlotFormat { Png, Svg, Pdf };

// By the extension, in any case: .png, .svg, .pdf; "-" (standard output)
// is PNG. Anything else has no format.
std::optional<PlotFormat> plotFormatOf(const std::string &output);

struct PlotSize {
    int width = 0;
    int height = 0;
};
inline constexpr PlotSize kDefaultPlotSize{1200, 800};
// "WxH" with each side between 100 and 10000 pixels.
std::optional<PlotSize> parsePlotSize(const std::string &text);

} // namespace plots
