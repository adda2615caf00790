// Readable lines for the status reports of a transfer and for the codes the
// library returns or leaves as a port's last error, in the words of the
// shared status table (korlink/common/status_words.h).
#pragma once

#include <cstdint>
#include <string>

namespace korlinkxfer {

// True for the reports that come with every block (byte counts,
// acknowledgements, block headers): printed only when asked for.
bool isPerBlockReport(int32_t status, intptr_t param);

// One line describing a report; `sending` tells the two sides' meanings of
// code 105 apart, `packets` that acknowledgements carry packet numbers
// (Kermit) rather than byte counts. Names (4008, 4012, 4014) are read from
// the parameter.
std::string describeStatus(int32_t status, intptr_t param, bool sending, bool packets = false);

// What a result or last-error code means, "no answer from the other side".
std::string codeMeaning(int code);

// Why the device of COM `com` cannot be opened, as "cannot open PATH: REASON".
std::string deviceProblem(int com);

}  // namespace korlinkxfer
