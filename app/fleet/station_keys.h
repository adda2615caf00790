// The value rules of a station's keys: each key's text checked and stored
// into the station, or a reason why it cannot be.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "fleet/station.h"

namespace trelm::fleet {

// The keys a station section may hold, as the error for an unknown key lists them.
inline constexpr const char *kStationKeys = "port, device, phone, dir, download, retries, retry_pause";

// Whether `key` (lower case) is one of kStationKeys.
bool isStationKey(const std::string &key);

// Stores `value` for `key` into `station`; the reason when the value is
// not acceptable. Relative dirs are taken from `folder`.
std::optional<std::string> applyStationKey(Station &station, const std::string &key, const std::string &value,
                                           const std::filesystem::path &folder);

// Whether `name` can name a station and its default folder: letters,
// digits, '-', '_' and '.', not starting with '.'.
bool isStationName(const std::string &name);

} // namespace trelm::fleet
