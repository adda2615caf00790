#include <ostream>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "grids/fill_grids.h"
#include "grids/grid_setups.h"

namespace trelm::cli {

namespace {

const char *const kHelp =
    "usage: trelmlink grids EVENT.bin [--grid NAME] [--verbose]\n"
    "\n"
    "Prints the grids of the main window exactly as it fills them for the event\n"
    "file, without a display. Each grid, in the order MSFlexGrid1 .. MSFlexGrid9\n"
    "(there is no 5), is a line [NAME], one line per row with the cells\n"
    "separated by TAB (an empty cell is empty), then an empty line.\n"
    "\n"
    "  --grid NAME   print only that grid, for example --grid MSFlexGrid2\n"
    "  --verbose     show the status message (\"Filling Grids...\") on stderr\n";

void printGrid(std::ostream &out, std::string_view name, const grids::Grid &grid) {
    out << '[' << name << "]\n";
    for (int row = 0; row < grid.rows(); ++row) {
        for (int col = 0; col < grid.cols(); ++col) {
            if (col > 0)
                out << '\t';
            out << grid.text(row, col);
        }
        out << '\n';
    }
    out << '\n';
}

} // namespace

int runGrids(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments parsed;
    if (auto done = parseOrFinish("grids", kHelp, args, {"--grid"}, out, err, parsed))
        return *done;
    grids::GridSet gridSet;
    const std::string only = parsed.option("--grid", "");
    if (!only.empty() && !gridSet.find(only))
        return usageError(err, "grids: no grid named '" + only + "' (MSFlexGrid1 to MSFlexGrid9, no 5)");
    grids::initGrids(gridSet);
    SilentMessagePort silent;
    StreamMessagePort verbose(err);
    auto filled = grids::FillGrids(gridSet, parsed.positional[0],
                                   parsed.verbose ? static_cast<MessagePort &>(verbose) : silent);
    if (!filled)
        return fail(err, filled.error().message());
    // Both models fill all eight grids.
    for (std::string_view name : grids::gridNames())
        if (only.empty() || only == name)
            printGrid(out, name, *gridSet.find(name));
    return 0;
}

} // namespace trelm::cli
