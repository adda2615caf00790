#include "fleet/station_keys.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "settings/setting_value.h"

namespace trelm::fleet {

namespace {

// The highest COM number a retrieval opens.
constexpr long kHighestPort = 255;
// Bounds that catch a slip of the keyboard, not a policy.
constexpr long kMostRetries = 100;
constexpr long kLongestPauseSeconds = 24 * 60 * 60;

const char *const kKnownKeys[] = {"port", "device", "phone", "dir", "download", "retries", "retry_pause"};

std::optional<long> wholeNumber(const std::string &text, long low, long high) {
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])) || *end != '\0' || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

std::string range(long low, long high) { return "a whole number from " + std::to_string(low) + " to " + std::to_string(high); }

} // namespace

bool isStationKey(const std::string &key) {
    return std::find(std::begin(kKnownKeys), std::end(kKnownKeys), key) != std::end(kKnownKeys);
}

bool isStationName(const std::string &name) {
    if (name.empty() || name[0] == '.')
        return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '_' || c == '.';
    });
}

std::optional<std::string> applyStationKey(Station &station, const std::string &key, const std::string &value,
                                           const std::filesystem::path &folder) {
    if (value.empty())
        return key + " has no value";
    if (key == "port") {
        const auto number = wholeNumber(value, 1, kHighestPort);
        if (!number)
            return "port '" + value + "' is not " + range(1, kHighestPort);
        station.port = static_cast<int>(*number);
    } else if (key == "device") {
        station.device = value;
    } else if (key == "phone") {
        if (!isSettingValue(value))
            return std::string("phone: ") + kSettingValueRule;
        station.phone = value;
    } else if (key == "dir") {
        station.dir = (folder / value).lexically_normal();
        if (!station.dir.has_filename() && station.dir.has_parent_path())
            station.dir = station.dir.parent_path(); // "data/" names the folder data
    } else if (key == "download") {
        if (value != "events" && value != "all")
            return "download '" + value + "' is neither events nor all";
        station.download = value == "events" ? Download::Events : Download::All;
    } else if (key == "retries") {
        const auto number = wholeNumber(value, 0, kMostRetries);
        if (!number)
            return "retries '" + value + "' is not " + range(0, kMostRetries);
        station.retries = static_cast<int>(*number);
    } else if (key == "retry_pause") {
        const auto number = wholeNumber(value, 0, kLongestPauseSeconds);
        if (!number)
            return "retry_pause '" + value + "' is not " + range(0, kLongestPauseSeconds) + " (seconds)";
        station.retryPauseSeconds = static_cast<int>(*number);
    }
    return std::nullopt;
}

} // namespace trelm::fleet
