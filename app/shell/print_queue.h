// One finished document handed to a CUPS queue as a print job of its own:
// named, in its own orientation whatever the queue's default, and refused
// or failed jobs told with the queue's name and CUPS's reason.
#pragma once

#include <string>

#include "reports/line_printer.h"

namespace trelm::shell {

// Sends the PDF file `pdf` to `queue` as the job `name`, in `copies`.
Status sendToQueue(const std::string &queue, const std::string &pdf, const std::string &name,
                   Orientation orientation, int copies = 1);

} // namespace trelm::shell
