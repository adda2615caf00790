// Dates given on the command line as sampler stamps (seconds since 1970 in
// the sampler's local time, the form the archive stores).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace archive {

// Which end of a range a date bounds: a date without a time of day stands
// for the whole day, so --from takes its first second and --to its last.
enum class RangeEnd { From, To };

// "YYYY-MM-DD", "YYYY-MM-DD hh:mm" or "YYYY-MM-DD hh:mm:ss" (a 'T' may stand
// for the blank), years 1970 to 2037; nothing for any other text.
std::optional<std::int64_t> stampOfDate(const std::string &text, RangeEnd end);

} // namespace archive
