// COMMZMODEMGet/COMMZMODEMSet: defaults, read-back, clamping, refusals.
#include "case_name.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

using namespace xfertest;

namespace {

struct ItemCase {
    const char *name;
    int16_t item;
    intptr_t defaultValue;
    intptr_t set;
    intptr_t readBack;
};

std::ostream &operator<<(std::ostream &out, const ItemCase &c) { return out << c.name; }

class ZmodemSettingsTest : public ::testing::TestWithParam<ItemCase> {};

TEST_P(ZmodemSettingsTest, DefaultThenReadBack) {
    const ItemCase &c = GetParam();
    OpenPort port;
    EXPECT_EQ(COMMZMODEMGet(port.handle(), c.item), -1) << "no record before the first Set";
    ASSERT_EQ(COMMZMODEMSet(port.handle(), KORLINK_ZMODEM_CREATE, 0), 0);
    EXPECT_EQ(COMMZMODEMGet(port.handle(), c.item), c.defaultValue);
    ASSERT_EQ(COMMZMODEMSet(port.handle(), c.item, c.set), 0);
    EXPECT_EQ(COMMZMODEMGet(port.handle(), c.item), c.readBack);
    ASSERT_EQ(COMMZMODEMSet(port.handle(), KORLINK_ZMODEM_FREE, 0), 0);
    EXPECT_EQ(COMMZMODEMGet(port.handle(), c.item), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ZmodemSettingsTest,
    ::testing::Values(ItemCase{"rename", KORLINK_ZMODEM_RENAME, 0, 7, 1},
                      ItemCase{"timeout_ms", KORLINK_ZMODEM_TIMEOUT_MS, 10000, 2500, 2500},
                      ItemCase{"timeout_zero_raised_to_one", KORLINK_ZMODEM_TIMEOUT_MS, 10000, 0, 1},
                      ItemCase{"retry_limit", KORLINK_ZMODEM_RETRY_LIMIT, 10, 3, 3},
                      ItemCase{"escape_all", KORLINK_ZMODEM_ESCAPE_ALL, 0, 1, 1},
                      ItemCase{"crc32_off", KORLINK_ZMODEM_CRC32, 1, 0, 0},
                      ItemCase{"resume_off", KORLINK_ZMODEM_RESUME, 1, 0, 0},
                      ItemCase{"receive_buffer", KORLINK_ZMODEM_RECEIVE_BUFFER, 0, 4096, 4096},
                      ItemCase{"receive_buffer_clamped", KORLINK_ZMODEM_RECEIVE_BUFFER, 0, 1 << 20, 65535},
                      ItemCase{"subpacket", KORLINK_ZMODEM_SUBPACKET, 1024, 256, 256},
                      ItemCase{"subpacket_clamped_low", KORLINK_ZMODEM_SUBPACKET, 1024, 1, 32},
                      ItemCase{"subpacket_clamped_high", KORLINK_ZMODEM_SUBPACKET, 1024, 100000, 8192}),
    testsupport::CaseName());

TEST(ZmodemSettingsRefusalTest, UnknownItemsAndNullHandle) {
    OpenPort port;
    COMMPortSet(port.handle(), 115, 0);  // no report on stderr
    EXPECT_EQ(COMMZMODEMSet(port.handle(), 602 + 100, 1), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(COMMZMODEMGet(port.handle(), 999), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(COMMZMODEMGet(port.handle(), KORLINK_ZMODEM_CREATE), KORLINK_E_BAD_ARG2);
    EXPECT_EQ(COMMZMODEMSet(nullptr, KORLINK_ZMODEM_RESUME, 1), KORLINK_E_NULL_PORT);
    EXPECT_EQ(COMMZMODEMGet(nullptr, KORLINK_ZMODEM_RESUME), KORLINK_E_NULL_PORT);
}

}  // namespace
