// The transfer tests' relay and fault injector is the simulator kit's paced
// null-modem relay.
#pragma once

#include "simkit/line_relay.h"

namespace xfertest {
using simkit::LineRelay;
using simkit::LineEcho;
using simkit::RelayFaults;
}  // namespace xfertest
