#include "shell/serial_devices.h"

#include <algorithm>
#include <map>
#include <system_error>

namespace trelm::shell {

namespace {

constexpr const char *kFamilies[] = {"ttyS", "ttyUSB", "ttyACM"};

// "ttyUSB12" -> {"ttyUSB", 12}; a name of no family gives an empty prefix.
std::pair<std::string, long> familyAndNumber(const std::string &name) {
    for (const char *family : kFamilies) {
        const std::string prefix(family);
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            return {prefix, std::stol(name.substr(prefix.size()))};
    }
    return {"", 0};
}

} // namespace

std::vector<SerialDevice> serialDevicesPresent(const std::filesystem::path &dev) {
    std::error_code error;
    // The by-id names, by the device each points at.
    std::map<std::string, std::string> byId;
    for (const auto &entry : std::filesystem::directory_iterator(dev / "serial" / "by-id", error)) {
        const auto target = std::filesystem::canonical(entry.path(), error);
        if (!error)
            byId[target.filename().string()] = entry.path().string();
    }
    std::vector<std::pair<std::pair<std::string, long>, SerialDevice>> found;
    for (const auto &entry : std::filesystem::directory_iterator(dev, error)) {
        const std::string name = entry.path().filename().string();
        const auto key = familyAndNumber(name);
        if (key.first.empty())
            continue;
        const auto id = byId.find(name);
        found.push_back({key, {entry.path().string(), id == byId.end() ? std::string() : id->second}});
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<SerialDevice> devices;
    for (auto &[key, device] : found)
        devices.push_back(std::move(device));
    return devices;
}

} // namespace trelm::shell
