// File names received from a peer (a batch header, a file-name packet):
// reduced to a bare name that stays inside the receive folder, and the name
// a file gets when nothing usable is left of the peer's.
#pragma once

#include <string>

namespace korlink {

// The part after the last '/' or '\', control characters (0..31, 127)
// removed; "." and ".." give the empty name. The empty result means the
// peer's name is unusable, not that the peer sent none.
std::string bareFileName(const std::string &name);

// Stored under this name, through the rename rule so that no earlier file is
// overwritten, when a peer's name reduces to nothing.
inline constexpr const char *unnamedFileName = "unnamed";

}  // namespace korlink
