#include "settings/setting_value.h"

#include <algorithm>

namespace trelm {

namespace {

constexpr unsigned char kFirstPrintable = 32;
constexpr unsigned char kDelete = 127;

} // namespace

bool isSettingValue(const std::string &value) {
    return std::none_of(value.begin(), value.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < kFirstPrintable || byte == kDelete;
    });
}

} // namespace trelm
