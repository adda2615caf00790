// A Qt application for one command-line job (a PDF report, a plot picture):
// fonts, printers and charts need one, and the command line has none of its
// own and may run without a display.
#pragma once

#include <QApplication>
#include <memory>

namespace trelm::shell {

// An offscreen application when none exists (and no display is named),
// kept for the caller's job; null when one exists already.
std::unique_ptr<QApplication> applicationForJob();

} // namespace trelm::shell
