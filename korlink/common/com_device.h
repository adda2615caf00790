// Which device "COM n" stands for: the path in $KORLINK_COM<n> when that is
// set and not empty, else /dev/ttyS<n-1>. The library opens it; the window's
// tooltips and the command lines name it.
#pragma once

#include <string>

namespace korlink::common {

// The COM number a port argument names: the legacy base addresses 1016, 760,
// 1000 and 744 are COM 1 to 4, anything else is the COM number itself.
int comNumber(int port);

// "KORLINK_COM3" for COM 3.
std::string comVariable(int com);

// True when $KORLINK_COM<com> is set and not empty, so it names the device.
bool comVariableSet(int com);

// The device path of COM `com`.
std::string comDevicePath(int com);

}  // namespace korlink::common
