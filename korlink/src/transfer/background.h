// Background transfers: a worker thread runs a transfer on a private copy of
// a port while the host's handle stays locked (-122 from byte operations).
#pragma once

#include "frame/port.h"

#include <functional>

namespace korlink {

// Locks `host`, copies it and starts a worker that runs `job` on the copy
// (registered as live meanwhile). When the job ends, the copy's last error
// becomes the host's, `finish` runs with the host, and the lock is cleared.
// Returns false, with nothing started and the host unlocked, when no thread
// could be started.
bool startBackground(Port &host, std::function<void(Port &copy)> job,
                     std::function<void(Port &host)> finish);

// Sets the cancel request of the private copy a background transfer of
// `host` runs on, while the copy cannot go away; false when there is none.
bool cancelBackground(Port &host);

// Sets or clears a bit that another thread reads while it runs a transfer.
void storeShared(bool &flag, bool value);

}  // namespace korlink
