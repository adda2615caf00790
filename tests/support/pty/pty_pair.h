// The tests' pseudo-terminal pair is the simulator kit's.
#pragma once

#include "simkit/pty_pair.h"

namespace testsupport {
using simkit::PtyPair;
}  // namespace testsupport
