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

// The longest name a receive stores under: the folder's limit of 255 bytes
// less the room the rename rule needs to put ".DL9" in place of an
// extension.
inline constexpr size_t maxStoredNameLength = 251;

// The name a receive stores a peer's file under, the one rule of every
// receiving protocol: the bare name; "unnamed" when nothing usable is left;
// a name too long for the folder cut to maxStoredNameLength bytes, keeping
// its extension and whole UTF-8 characters. `changed` is set when the result
// differs from the bare name: such a name always goes through the rename
// rule and is reported as renamed.
std::string storedFileName(const std::string &sent, bool &changed);

}  // namespace korlink
