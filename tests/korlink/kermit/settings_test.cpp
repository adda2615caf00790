// The Kermit settings record through COMMKermitGet/COMMKermitSet.
#include "case_name.h"
#include "xfer_fixture.h"

#include <gtest/gtest.h>

using namespace xfertest;

namespace {

struct Default {
    int16_t item;
    intptr_t value;
};

// Every item's default: the set asked for (511..521), the set in use
// (500..510), the retry limit, the time-out and the flags.
const Default defaults[] = {
    {KORLINK_KERMIT_ASK_MARK, 1},      {KORLINK_KERMIT_ASK_MAXL, 94},     {KORLINK_KERMIT_ASK_TIME, 3},
    {KORLINK_KERMIT_ASK_NPAD, 0},      {KORLINK_KERMIT_ASK_PADC, 0},      {KORLINK_KERMIT_ASK_EOL, 13},
    {KORLINK_KERMIT_ASK_QCTL, '#'},    {KORLINK_KERMIT_ASK_QBIN, '&'},    {KORLINK_KERMIT_ASK_CHKT, '3'},
    {KORLINK_KERMIT_ASK_REPT, '~'},    {KORLINK_KERMIT_ASK_EXTRA, 0},     {KORLINK_KERMIT_USED_MARK, 1},
    {KORLINK_KERMIT_USED_MAXL, 94},    {KORLINK_KERMIT_USED_TIME, 3},     {KORLINK_KERMIT_USED_NPAD, 0},
    {KORLINK_KERMIT_USED_PADC, 0},     {KORLINK_KERMIT_USED_EOL, 13},     {KORLINK_KERMIT_USED_QCTL, '#'},
    {KORLINK_KERMIT_USED_QBIN, '&'},   {KORLINK_KERMIT_USED_CHKT, '1'},   {KORLINK_KERMIT_USED_REPT, '~'},
    {KORLINK_KERMIT_USED_EXTRA, 0},    {KORLINK_KERMIT_RETRY_LIMIT, 5},   {KORLINK_KERMIT_TIMEOUT_MS, 10000},
    {KORLINK_KERMIT_CARRIER_WATCH, 0}, {KORLINK_KERMIT_RENAME, 0},        {KORLINK_KERMIT_KEEP_PARTIAL, 0}};

TEST(KermitSettingsTest, RecordStartsWithTheDefaultsAndKeepsWhatIsSet) {
    OpenPort port;
    PortHandle handle = port.handle();
    EXPECT_EQ(COMMKermitGet(handle, KORLINK_KERMIT_ASK_MAXL), -1);   // no record yet
    ASSERT_EQ(COMMKermitSet(handle, KORLINK_KERMIT_RETRY_LIMIT, 5), 0);
    for (const Default &d : defaults) EXPECT_EQ(COMMKermitGet(handle, d.item), d.value) << d.item;
    for (const Default &d : defaults) {
        bool flag = d.item == KORLINK_KERMIT_CARRIER_WATCH || d.item == KORLINK_KERMIT_RENAME ||
                    d.item == KORLINK_KERMIT_KEEP_PARTIAL;
        intptr_t value = flag ? 7 : d.value + 3;
        ASSERT_EQ(COMMKermitSet(handle, d.item, value), 0) << d.item;
        // Flags read back as 0 or 1 whatever non-zero value set them.
        EXPECT_EQ(COMMKermitGet(handle, d.item), value == 7 ? 1 : value) << d.item;
    }
    const char *name = "fixed.bin";
    ASSERT_EQ(COMMKermitSet(handle, KORLINK_KERMIT_FILE_NAME, reinterpret_cast<intptr_t>(name)), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMKermitGet(handle, KORLINK_KERMIT_FILE_NAME)), "fixed.bin");
    ASSERT_EQ(COMMKermitSet(handle, KORLINK_KERMIT_FILE_NAME, 0), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMKermitGet(handle, KORLINK_KERMIT_FILE_NAME)), "");
    ASSERT_EQ(COMMKermitSet(handle, KORLINK_KERMIT_FREE, 0), 0);   // frees the record
    EXPECT_EQ(COMMKermitGet(handle, KORLINK_KERMIT_ASK_MAXL), -1);
}

struct Refusal {
    const char *name;
    bool nullHandle;
    int16_t item;
    int16_t expected;
};

std::ostream &operator<<(std::ostream &out, const Refusal &r) { return out << r.name; }

class KermitSettingsRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(KermitSettingsRefusalTest, BadArgumentsAreRefused) {
    const Refusal &r = GetParam();
    OpenPort port;
    COMMPortSet(port.handle(), KORLINK_PORT_REPORT_SWITCH, 0);   // no report box in tests
    PortHandle handle = r.nullHandle ? nullptr : port.handle();
    EXPECT_EQ(COMMKermitSet(handle, r.item, 1), r.expected);
    EXPECT_EQ(COMMKermitGet(handle, r.item), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Items, KermitSettingsRefusalTest,
    ::testing::Values(Refusal{"unknown_item", false, 522, KORLINK_E_BAD_ARG2},
                      Refusal{"xmodem_item", false, KORLINK_XMODEM_CAN_LIMIT, KORLINK_E_BAD_ARG2},
                      Refusal{"below_the_sets", false, 499, KORLINK_E_BAD_ARG2},
                      Refusal{"null_handle", true, KORLINK_KERMIT_ASK_MAXL, KORLINK_E_NULL_PORT}),
    testsupport::CaseName());

}  // namespace
