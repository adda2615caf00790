// The one line that follows a failure's status text ("Transfer stopped or
// corrupted!", "Unable to open Port!") and says why, in words: the
// library's last error of a receive, or what the system says about the
// port's device.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace trelm::retrieval {

// Why a receive failed, from the port's last error after freceive: disk
// full or write error (naming `file`), carrier lost, no answer after
// `retries` retries, the sender cancelled, the user cancelled.
std::string transferReason(std::int32_t lastError, const std::filesystem::path &file, int retries);

// Why `device` could not be opened: no such device, not a terminal,
// permission denied (with the group that grants access, or that would once
// the device's mode gives it read and write), or held by
// another process (by its id, as the system's lock table gives it).
std::string portReason(const std::string &device);

} // namespace trelm::retrieval
