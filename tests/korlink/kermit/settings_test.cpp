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
    {511, 1}, {512, 94}, {513, 3}, {514, 0}, {515, 0}, {516, 13}, {517, '#'}, {518, '&'},
    {519, '3'}, {520, '~'}, {521, 0}, {500, 1}, {501, 94}, {502, 3}, {503, 0}, {504, 0},
    {505, 13}, {506, '#'}, {507, '&'}, {508, '1'}, {509, '~'}, {510, 0}, {207, 5}, {203, 10000},
    {111, 0}, {112, 0}, {204, 0}};

TEST(KermitSettingsTest, RecordStartsWithTheDefaultsAndKeepsWhatIsSet) {
    OpenPort port;
    PortHandle handle = port.handle();
    EXPECT_EQ(COMMKermitGet(handle, 512), -1);   // no record yet
    ASSERT_EQ(COMMKermitSet(handle, 207, 5), 0);
    for (const Default &d : defaults) EXPECT_EQ(COMMKermitGet(handle, d.item), d.value) << d.item;
    for (const Default &d : defaults) {
        intptr_t value = d.item == 111 || d.item == 112 || d.item == 204 ? 7 : d.value + 3;
        ASSERT_EQ(COMMKermitSet(handle, d.item, value), 0) << d.item;
        // Flags read back as 0 or 1 whatever non-zero value set them.
        EXPECT_EQ(COMMKermitGet(handle, d.item), value == 7 ? 1 : value) << d.item;
    }
    const char *name = "fixed.bin";
    ASSERT_EQ(COMMKermitSet(handle, 208, reinterpret_cast<intptr_t>(name)), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMKermitGet(handle, 208)), "fixed.bin");
    ASSERT_EQ(COMMKermitSet(handle, 208, 0), 0);
    EXPECT_STREQ(reinterpret_cast<const char *>(COMMKermitGet(handle, 208)), "");
    ASSERT_EQ(COMMKermitSet(handle, 0, 0), 0);   // frees the record
    EXPECT_EQ(COMMKermitGet(handle, 512), -1);
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
    COMMPortSet(port.handle(), 115, 0);   // no report box in tests
    PortHandle handle = r.nullHandle ? nullptr : port.handle();
    EXPECT_EQ(COMMKermitSet(handle, r.item, 1), r.expected);
    EXPECT_EQ(COMMKermitGet(handle, r.item), r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Items, KermitSettingsRefusalTest,
    ::testing::Values(Refusal{"unknown_item", false, 522, -103}, Refusal{"xmodem_item", false, 201, -103},
                      Refusal{"below_the_sets", false, 499, -103}, Refusal{"null_handle", true, 512, -102}),
    testsupport::CaseName());

}  // namespace
