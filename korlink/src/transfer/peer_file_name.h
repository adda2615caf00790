// File names that arrive from a peer (a batch header block, a file header
// packet) are reduced with one rule before anything is opened under them.
#pragma once

#include <string>

namespace korlink {

// A peer's file name reduced to a bare name that stays inside the receive
// folder: the part after the last '/' or '\', control characters removed;
// "." and ".." give the empty name.
std::string bareFileName(const std::string &name);

}  // namespace korlink
