// What the window gives the serial library: a message pump that keeps the
// window alive during the library's waits (timers excepted, so the
// download's own timer does not re-enter) and reports Escape, and a report
// box for the library's argument errors.
#pragma once

#include <functional>

namespace trelm::shell {

// Key code the pump reports for Escape: scan code 1 * 256 + character 27.
inline constexpr int kEscapeKeyCode = 283;

// Handles pending events except timers; returns kEscapeKeyCode when Escape
// was pressed meanwhile (the key is taken, not passed on), else 0.
int pumpMessages();

// Called whenever the pump takes Escape, after the pending events (the
// window's retrieval ends a modem check or a dial with it, which no
// library wait does); empty: nobody is told.
void setEscapeListener(std::function<void()> listener);

// Shows the library's report as a modal box with the library's title.
void reportBox(const char *title, const char *text);

// Arranges that, once the library is loaded, the pump and report box are
// installed in it, and that a missing library or export is told in a box.
void installKorlinkHooks();

} // namespace trelm::shell
