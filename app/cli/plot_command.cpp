#include <filesystem>
#include <sstream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/plot_output.h"
#include "datafile/atomic_file.h"
#include "plots/event_plot.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink plot EVENT.bin [-o FILE.png|FILE.svg|FILE.pdf|-] [--series NAME,...] [--size WxH]\n"
    "\n"
    "Draws the event's data log as curves in stacked panels (temperatures,\n"
    "pressure, flows) on one time axis, with the start, stop, warnings and\n"
    "power failures marked as labelled vertical lines. Needs no display.\n"
    "Prints the name of the file written.\n"
    "\n"
    "  -o FILE        the picture; its extension chooses PNG, SVG or PDF\n"
    "                 (default: EVENT.png beside the event file); '-' writes\n"
    "                 PNG to standard output\n"
    "  --series LIST  only the series named, comma-separated, as the data log\n"
    "                 grid names them (\"Ambient T,Flow 1\"); --series list\n"
    "                 prints the names this event has, one a line\n"
    "  --size WxH     the picture's size in pixels (default 1200x800)\n"
    "\n"
    "An event without log records gives a picture saying so. An unreadable\n"
    "file, an unknown series or extension exits with status 2 and writes\n"
    "nothing.\n";

PlotRenderer &installedRenderer() {
    static PlotRenderer renderer;
    return renderer;
}

std::vector<std::string> splitNames(const std::string &list) {
    std::vector<std::string> names;
    std::stringstream stream(list);
    for (std::string name; std::getline(stream, name, ',');)
        if (!name.empty())
            names.push_back(name);
    return names;
}

} // namespace

void setPlotRenderer(PlotRenderer renderer) { installedRenderer() = std::move(renderer); }

int runPlot(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("plot", kHelp, args, {"-o", "--series", "--size"}, out, err, parsed))
        return *done;
    const std::filesystem::path source = parsed.positional[0];
    std::filesystem::path defaultOutput = source;
    defaultOutput.replace_extension(".png");
    const std::string output = parsed.option("-o", defaultOutput.string());
    const auto format = plots::plotFormatOf(output);
    if (!format)
        return usageError(err, output + ": unknown picture format (use .png, .svg or .pdf)");
    const std::string sizeText = parsed.option("--size", "");
    const auto size = sizeText.empty() ? std::optional(plots::kDefaultPlotSize) : plots::parsePlotSize(sizeText);
    if (!size)
        return usageError(err, "--size " + sizeText + ": not WxH with each side from 100 to 10000 pixels");

    auto plot = plots::readEventPlot(source);
    if (!plot)
        return usageError(err, plot.error().message());
    const std::string series = parsed.option("--series", "");
    if (series == "list") {
        for (const std::string &name : plots::seriesNames(plot.value()))
            out << name << '\n';
        return out ? kExitSuccess : fail(err, "standard output: the names could not be written");
    }
    if (!series.empty()) {
        plot = plots::keepSeries(std::move(plot.value()), splitNames(series));
        if (!plot)
            return usageError(err, plot.error().message());
    }
    const PlotRenderer &renderer = installedRenderer();
    if (!renderer)
        return fail(err, "plot: drawing is not available in this program");
    const auto picture = renderer(plot.value(), *format, size->width, size->height);
    if (!picture)
        return fail(err, picture.error().message());
    if (output == "-") {
        out << picture.value() << std::flush;
        return out ? kExitSuccess : fail(err, "standard output: the picture could not be written");
    }
    if (Status written = writeFileAtomically(output, picture.value()); !written)
        return fail(err, written.error().message());
    out << output << '\n';
    return kExitSuccess;
}

} // namespace trelm::cli
