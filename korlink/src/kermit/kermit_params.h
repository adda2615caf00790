// The Send-Init exchange: the parameters this side offers, and how the
// peer's offer becomes the set in use.
#pragma once

#include "kermit/kermit_settings.h"

#include <cstddef>
#include <cstdint>

namespace korlink {

// The data of this side's S packet or of the Y that answers the peer's:
// MAXL, TIME, NPAD, PADC, EOL, QCTL, QBIN, CHKT, REPT from the set asked
// for. The check type offered is always 1 (the only one used after the
// exchange), and no capabilities are offered, so a peer sends neither long
// packets nor attribute packets. Returns the number of characters (9).
size_t buildSendInit(const KermitSettings &settings, uint8_t out[9]);

// The eighth-bit prefix field this side offers: "N" when the host asked for
// none, its prefix on a line with parity, else "Y" (willing, not asking).
int offeredQbin(const KermitSettings &settings);

// Applies the peer's S packet or Y-to-S data to the set in use.
void applyPeerParams(KermitSettings &settings, const uint8_t *data, size_t length);

// A character that may serve as a prefix: 33..62 or 96..126.
inline bool validPrefix(int c) { return (c >= 33 && c <= 62) || (c >= 96 && c <= 126); }

}  // namespace korlink
