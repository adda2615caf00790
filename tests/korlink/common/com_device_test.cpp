// "COM n" names the device in $KORLINK_COM<n> when that is set and not
// empty, else /dev/ttyS<n-1>; the legacy base addresses are COM 1 to 4.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "common/com_device.h"

using namespace korlink::common;

namespace {

struct Mapping {
    const char *name;
    int com;
    std::optional<std::string> variable;  // nothing: unset
    std::string device;
    bool named;                            // the variable names the device
};

void PrintTo(const Mapping &m, std::ostream *out) { *out << m.name; }

class ComDeviceMapping : public testing::TestWithParam<Mapping> {
protected:
    void TearDown() override { unsetenv(comVariable(GetParam().com).c_str()); }
};

TEST_P(ComDeviceMapping, NamesTheDevice) {
    const Mapping &m = GetParam();
    if (m.variable)
        setenv(comVariable(m.com).c_str(), m.variable->c_str(), 1);
    else
        unsetenv(comVariable(m.com).c_str());
    EXPECT_EQ(comDevicePath(m.com), m.device);
    EXPECT_EQ(comVariableSet(m.com), m.named);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ComDeviceMapping,
    testing::Values(Mapping{"Com3Unset", 3, std::nullopt, "/dev/ttyS2", false},
                    Mapping{"Com3Set", 3, "/dev/ttyUSB0", "/dev/ttyUSB0", true},
                    Mapping{"Com3Empty", 3, "", "/dev/ttyS2", false},
                    Mapping{"Com1Unset", 1, std::nullopt, "/dev/ttyS0", false},
                    Mapping{"Com10Unset", 10, std::nullopt, "/dev/ttyS9", false},
                    Mapping{"Com99ByPath", 99, "/dev/serial/by-id/x", "/dev/serial/by-id/x", true}),
    [](const testing::TestParamInfo<Mapping> &info) { return std::string(info.param.name); });

TEST(ComDevice, VariableNameCarriesTheComNumber) {
    EXPECT_EQ(comVariable(3), "KORLINK_COM3");
    EXPECT_EQ(comVariable(10), "KORLINK_COM10");
}

struct Legacy {
    const char *name;
    int port;
    int com;
};

void PrintTo(const Legacy &l, std::ostream *out) { *out << l.name; }

class ComNumbers : public testing::TestWithParam<Legacy> {};

TEST_P(ComNumbers, LegacyBaseAddressesAreCom1To4) {
    EXPECT_EQ(comNumber(GetParam().port), GetParam().com);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ComNumbers,
    testing::Values(Legacy{"Base1016", 1016, 1}, Legacy{"Base760", 760, 2}, Legacy{"Base1000", 1000, 3},
                    Legacy{"Base744", 744, 4}, Legacy{"Com3", 3, 3}, Legacy{"Com99", 99, 99},
                    Legacy{"NextToABase", 1017, 1017}),
    [](const testing::TestParamInfo<Legacy> &info) { return std::string(info.param.name); });

} // namespace
