#include "shell/print_queue.h"

#include <cups/cups.h>
#include <string>

namespace trelm::shell {

namespace {

// IPP orientation-requested values.
constexpr const char *kIppPortrait = "3";
constexpr const char *kIppLandscape = "4";

} // namespace

Status sendToQueue(const std::string &queue, const std::string &pdf, const std::string &name,
                   Orientation orientation, int copies) {
    cups_option_t *options = nullptr;
    int count = 0;
    // Always stated: a queue whose default is landscape would otherwise
    // turn a portrait report on its side.
    count = cupsAddOption("orientation-requested",
                          orientation == Orientation::Landscape ? kIppLandscape : kIppPortrait, count, &options);
    count = cupsAddOption("document-format", CUPS_FORMAT_PDF, count, &options);
    if (copies > 1)
        count = cupsAddOption("copies", std::to_string(copies).c_str(), count, &options);
    const int job = cupsPrintFile(queue.c_str(), pdf.c_str(), name.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (job == 0)
        return Error{queue, std::string("the print job was not accepted (") + cupsLastErrorString() + ")"};
    return Done{};
}

} // namespace trelm::shell
