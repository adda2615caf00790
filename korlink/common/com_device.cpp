#include "common/com_device.h"

#include <cstdio>
#include <cstdlib>

namespace korlink::common {

namespace {

// Legacy base addresses of COM 1 to 4.
constexpr int kBaseCom1 = 1016;
constexpr int kBaseCom2 = 760;
constexpr int kBaseCom3 = 1000;
constexpr int kBaseCom4 = 744;

const char *variableValue(int com) {
    const char *value = std::getenv(comVariable(com).c_str());
    return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

int comNumber(int port) {
    switch (port) {
    case kBaseCom1: return 1;
    case kBaseCom2: return 2;
    case kBaseCom3: return 3;
    case kBaseCom4: return 4;
    default: return port;
    }
}

std::string comVariable(int com) {
    char text[32];
    std::snprintf(text, sizeof text, "KORLINK_COM%d", com);
    return text;
}

bool comVariableSet(int com) { return variableValue(com) != nullptr; }

std::string comDevicePath(int com) {
    if (const char *path = variableValue(com)) return path;
    char text[32];
    std::snprintf(text, sizeof text, "/dev/ttyS%d", com - 1);
    return text;
}

}  // namespace korlink::common
