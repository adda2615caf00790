// The Send-Init exchange: the parameters this side offers, and how the
// peer's offer becomes the set in use.
#pragma once

#include "kermit/kermit_settings.h"

#include <cstddef>
#include <cstdint>

namespace korlink {

// The data of this side's S packet or of the Y that answers the peer's:
// MAXL, TIME, NPAD, PADC, EOL, QCTL, QBIN, REPT from the set asked for and
// the check type `check` (the offer in an S, the agreed type in the answer).
// No capabilities are offered, so a peer sends neither long packets nor
// attribute packets. Returns the number of characters (9).
size_t buildSendInit(const KermitSettings &settings, int check, uint8_t out[9]);

// The check type this side offers: the one asked for (item 519) when it is
// '1', '2' or '3', else '1'.
int offeredCheck(const KermitSettings &settings);

// Which side of the exchange the peer's parameters come from.
enum class InitFrom { Sender, Receiver };

// The eighth-bit prefix field this side offers: "N" when the host asked for
// none, its prefix on a line with parity, else "Y" (willing, not asking).
int offeredQbin(const KermitSettings &settings);

// Applies the peer's S packet (from the sender) or Y-to-S data (from the
// receiver) to the set in use, except the check type, which changes only
// after the exchange: returns the agreed one. A receiving side answers with
// the sender's type when it can use it and has not been held to a weaker
// one; a sending side uses its offer when the answer repeats it. Otherwise
// both use type 1.
int applyPeerParams(KermitSettings &settings, const uint8_t *data, size_t length, InitFrom from);

// A character that may serve as a prefix: 33..62 or 96..126.
inline bool validPrefix(int c) { return (c >= 33 && c <= 62) || (c >= 96 && c <= 126); }

}  // namespace korlink
