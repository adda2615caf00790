// Readable lines for the status reports of a transfer.
#pragma once

#include <cstdint>
#include <string>

namespace korlinkxfer {

// True for the reports that come with every block (byte counts,
// acknowledgements, block headers): printed only when asked for.
bool isPerBlockReport(int32_t status, intptr_t param);

// One line describing a report; `sending` tells the two sides' meanings of
// code 105 apart. Names (4008, 4012, 4014) are read from the parameter.
std::string describeStatus(int32_t status, intptr_t param, bool sending);

}  // namespace korlinkxfer
