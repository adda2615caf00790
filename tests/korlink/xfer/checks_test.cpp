// Check values against published check strings and hand-worked cases.
#include "korlink.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string checkString = "123456789";
std::string g_reportText;

void recordReport(const char *, const char *text) { g_reportText = text; }

uint16_t crcOf(const std::string &text, uint16_t polynomial) {
    uint16_t crc = 0;
    for (unsigned char c : text) crc = crc16(crc, c, polynomial);
    return crc;
}

TEST(ChecksTest, CrcCcittIsTheXmodemCrc) {
    uint16_t crc = 0;
    for (unsigned char c : checkString) crc = crc_ccitt(crc, c);
    EXPECT_EQ(crc, 0x31C3);
    EXPECT_EQ(crcOf(checkString, 0x1021), 0x31C3);
    EXPECT_EQ(crc_ccitt(0, 0), 0);
    // The table-driven step agrees with the bitwise register for every byte
    // from registers with each top-byte value.
    for (unsigned reg = 0; reg < 0x10000; reg += 0x0101)
        for (unsigned byte = 0; byte < 256; ++byte)
            ASSERT_EQ(crc_ccitt(reg, byte), crc16(reg, byte, 0x1021)) << reg << " " << byte;
}

TEST(ChecksTest, Crc16TakesAnyPolynomialMostSignificantBitFirst) {
    EXPECT_EQ(crcOf(checkString, 0x8005), 0xFEE8);
    // One set top bit shifts out through all eight steps.
    EXPECT_EQ(crc16(0, 0x01, 0x1021), 0x1021);
}

TEST(ChecksTest, Crc32WithCallersInitialAndFinalValues) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : checkString) crc = crc32(crc, c, 0);
    EXPECT_EQ(crc ^ 0xFFFFFFFFu, 0xCBF43926u);
    EXPECT_EQ(crc32(0, 0, 0), 0u);
}

TEST(ChecksTest, ChecksumsAreSixteenBitSums) {
    EXPECT_EQ(checksum(0xFFFF, 2), 1);
    const uint8_t bytes[] = {0xFF, 0xFF, 0x10};
    EXPECT_EQ(checksumn(bytes, 3), 0x20E);
    EXPECT_EQ(checksumn(bytes, 0), 0);
    COMMReportHookSet(recordReport);
    EXPECT_EQ(checksumn(nullptr, 3), static_cast<uint16_t>(KORLINK_E_NULL_PORT));
    COMMReportHookSet(nullptr);
    EXPECT_EQ(g_reportText, "ERROR: BADPARM1. Parameter is NULL\r\nFunction: checksumn()");
}

}  // namespace
