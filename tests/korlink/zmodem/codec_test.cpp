// The ZMODEM frame codec against its own reader: every header form and
// subpacket end survives the trip, escaping keeps the bytes a line eats off
// the wire, damage is caught (never a wrong frame taken), five CAN cancel,
// and the ZFILE subpacket's fields are read within their bounds.
#include "case_name.h"
#include "zmodem/zmodem_file_info.h"
#include "zmodem/zmodem_frame.h"
#include "zmodem/zmodem_reader.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

using namespace korlink;

namespace {

// The reader's bytes from memory; the end of the bytes is a time-out.
class MemorySource : public ZmodemByteSource {
public:
    explicit MemorySource(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    int next(int32_t) override { return m_pos < m_bytes.size() ? static_cast<int>(m_bytes[m_pos++]) : static_cast<int>(ZM_TIMEOUT); }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_pos = 0;
};

enum class Form { Hex, Binary16, Binary32 };

std::vector<uint8_t> encodeHeader(Form form, const ZmodemHeader &header, bool escapeAll = false) {
    ZmodemEncoder encoder(escapeAll);
    std::vector<uint8_t> out;
    if (form == Form::Hex) encoder.hexHeader(out, header);
    else encoder.binaryHeader(out, header, form == Form::Binary32);
    return out;
}

struct HeaderCase {
    const char *name;
    Form form;
    ZmodemHeader header;
};

std::ostream &operator<<(std::ostream &out, const HeaderCase &c) { return out << c.name; }

const HeaderCase kHeaderCases[] = {
    {"hex_receiver_init", Form::Hex, ZmodemHeader::withFlags(ZRINIT, CANFDX | CANOVIO | CANFC32)},
    {"hex_position_beyond_16_bits", Form::Hex, ZmodemHeader::at(ZRPOS, 0x01020304)},
    {"binary16_data_at_zero", Form::Binary16, ZmodemHeader::at(ZDATA, 0)},
    {"binary16_bytes_that_need_escapes", Form::Binary16, ZmodemHeader::at(ZEOF, 0x18111390)},
    {"binary32_file_resume", Form::Binary32, ZmodemHeader::withFlags(ZFILE, ZCRESUM)},
    {"binary32_all_ones", Form::Binary32, ZmodemHeader::at(ZDATA, 0xFFFFFFFF)},
    {"binary32_rubouts", Form::Binary32, ZmodemHeader::at(ZDATA, 0x7F7FFFFF)},
};

class HeaderTripTest : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderTripTest, ReadsBackTheSameHeaderAfterLineNoise) {
    const HeaderCase &c = GetParam();
    // Noise before the header, as the tail of a lost frame would leave it.
    std::vector<uint8_t> bytes = {'r', 'z', '\r', 0x11, ZPAD, 'x', 0x00};
    std::vector<uint8_t> header = encodeHeader(c.form, c.header);
    bytes.insert(bytes.end(), header.begin(), header.end());
    MemorySource source(bytes);
    ZmodemReader reader(source, 10);
    ZmodemHeader read;
    ASSERT_EQ(reader.readHeader(read), c.header.type);
    EXPECT_EQ(read.bytes, c.header.bytes);
    EXPECT_EQ(reader.lastHeaderCrc32(), c.form == Form::Binary32);
}

// Every single-bit flip of a header's checked bytes is refused or changes
// nothing: the reader never hands out a different header.
TEST_P(HeaderTripTest, NoSingleBitFlipYieldsAnotherHeader) {
    const HeaderCase &c = GetParam();
    std::vector<uint8_t> clean = encodeHeader(c.form, c.header);
    for (size_t i = 0; i < clean.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            std::vector<uint8_t> bytes = clean;
            bytes[i] ^= static_cast<uint8_t>(1u << bit);
            MemorySource source(bytes);
            ZmodemReader reader(source, 10);
            ZmodemHeader read;
            int got = reader.readHeader(read, 64);
            if (got >= 0) {
                EXPECT_EQ(got, c.header.type) << "byte " << i << " bit " << bit;
                EXPECT_EQ(read.bytes, c.header.bytes) << "byte " << i << " bit " << bit;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, HeaderTripTest, ::testing::ValuesIn(kHeaderCases), testsupport::CaseName());

struct SubpacketCase {
    const char *name;
    uint8_t end;
    bool crc32;
    bool escapeAll;
    std::vector<uint8_t> (*data)();
};

std::ostream &operator<<(std::ostream &out, const SubpacketCase &c) { return out << c.name; }

std::vector<uint8_t> everyByteValue() {
    std::vector<uint8_t> bytes(512);
    std::iota(bytes.begin(), bytes.begin() + 256, 0);
    std::iota(bytes.begin() + 256, bytes.end(), 0);
    return bytes;
}
std::vector<uint8_t> nothing() { return {}; }
std::vector<uint8_t> atSignsAndReturns() { return {'@', '\r', '@' | 0x80, '\r' | 0x80, '@', '\r', '\n'}; }
std::vector<uint8_t> longest() {
    std::vector<uint8_t> bytes(zmodemMaxSubpacket);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

const SubpacketCase kSubpacketCases[] = {
    {"all_values_crc16_frame_end", ZCRCE, false, false, everyByteValue},
    {"all_values_crc32_go_on", ZCRCG, true, false, everyByteValue},
    {"all_values_crc32_escape_all", ZCRCQ, true, true, everyByteValue},
    {"empty_crc16_wait", ZCRCW, false, false, nothing},
    {"empty_crc32_frame_end", ZCRCE, true, false, nothing},
    {"at_sign_then_return", ZCRCG, false, false, atSignsAndReturns},
    {"longest_taken", ZCRCW, true, false, longest},
};

class SubpacketTest : public ::testing::TestWithParam<SubpacketCase> {
protected:
    std::vector<uint8_t> encode(const SubpacketCase &c, const std::vector<uint8_t> &data) {
        ZmodemEncoder encoder(c.escapeAll);
        std::vector<uint8_t> out;
        // The subpacket's check follows the header before it.
        encoder.binaryHeader(out, ZmodemHeader::at(ZDATA, 0), c.crc32);
        encoder.subpacket(out, data.data(), data.size(), c.end, c.crc32);
        return out;
    }
    int decode(const std::vector<uint8_t> &bytes, std::vector<uint8_t> &data) {
        MemorySource source(bytes);
        ZmodemReader reader(source, 10);
        ZmodemHeader header;
        if (int got = reader.readHeader(header); got != ZDATA) return got;
        data.assign(zmodemMaxSubpacket, 0);
        size_t count = 0;
        int end = reader.readSubpacket(data.data(), count);
        data.resize(count);
        return end;
    }
};

TEST_P(SubpacketTest, DataAndEndSurviveTheTrip) {
    const SubpacketCase &c = GetParam();
    std::vector<uint8_t> data = c.data();
    std::vector<uint8_t> read;
    EXPECT_EQ(decode(encode(c, data), read), c.end);
    EXPECT_EQ(read, data);
}

// What the line may eat never appears bare: ZDLE, XON, XOFF and DLE (with
// bit 7 too) always escaped; with escape-all no control character at all.
TEST_P(SubpacketTest, WireCarriesNoByteTheLineMayEat) {
    const SubpacketCase &c = GetParam();
    std::vector<uint8_t> wire = encode(c, c.data());
    // The XON after a ZCRCW is the frame's own, sent bare on purpose.
    if (c.end == ZCRCW) wire.pop_back();
    for (size_t i = 0; i < wire.size(); ++i) {
        uint8_t low = wire[i] & 0x7F;
        EXPECT_NE(low, XON) << i;
        EXPECT_NE(low, XOFF) << i;
        EXPECT_NE(low, 0x10) << i;
        if (wire[i] == ZDLE) {
            ASSERT_LT(i + 1, wire.size());
            ++i;  // the escaped byte
            continue;
        }
        if (c.escapeAll) {
            EXPECT_TRUE(low >= 32 && low != 0x7F) << "byte " << i << " is " << int(wire[i]);
        }
        if (low == '\r' && i > 0) {
            EXPECT_NE(wire[i - 1] & 0x7F, '@') << i;
        }
    }
}

TEST_P(SubpacketTest, EveryFlippedDataByteIsRefused) {
    const SubpacketCase &c = GetParam();
    std::vector<uint8_t> data = c.data();
    std::vector<uint8_t> clean = encode(c, data);
    size_t headerLength = encode(c, {}).size() - (c.crc32 ? 6 : 4) - (c.end == ZCRCW ? 1 : 0);
    for (size_t i = headerLength; i < clean.size(); i += 1 + clean.size() / 97) {
        std::vector<uint8_t> bytes = clean;
        bytes[i] ^= 0x04;
        std::vector<uint8_t> read;
        int end = decode(bytes, read);
        // Only a flow-control byte the flip made can vanish harmlessly.
        if (end >= 0) {
            EXPECT_EQ(read, data) << "flip at " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Ends, SubpacketTest, ::testing::ValuesIn(kSubpacketCases), testsupport::CaseName());

struct StreamCase {
    const char *name;
    std::vector<uint8_t> bytes;
    int expected;
};

std::ostream &operator<<(std::ostream &out, const StreamCase &c) { return out << c.name; }

class ReaderStreamTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(ReaderStreamTest, HeaderHuntEndsAsExpected) {
    const StreamCase &c = GetParam();
    MemorySource source(c.bytes);
    ZmodemReader reader(source, 10);
    ZmodemHeader header;
    EXPECT_EQ(reader.readHeader(header, 100), c.expected);
}

const StreamCase kStreamCases[] = {
    {"five_can_cancel", {ZDLE, ZDLE, ZDLE, ZDLE, ZDLE, 8, 8, 8}, ZM_CANCELLED},
    {"four_can_then_silence", {ZDLE, ZDLE, ZDLE, ZDLE}, ZM_TIMEOUT},
    {"cancel_inside_a_header", {ZPAD, ZDLE, ZBIN, ZDLE, ZDLE, ZDLE, ZDLE, ZDLE}, ZM_CANCELLED},
    {"endless_garbage", std::vector<uint8_t>(500, 'x'), ZM_GARBAGE},
    {"bad_hex_digit", {ZPAD, ZPAD, ZDLE, ZHEX, '0', 'g'}, ZM_GARBAGE},
    {"silence", {}, ZM_TIMEOUT},
    {"bad_escape_in_binary_header", {ZPAD, ZDLE, ZBIN, ZDLE, 0x00}, ZM_GARBAGE},
};

INSTANTIATE_TEST_SUITE_P(Streams, ReaderStreamTest, ::testing::ValuesIn(kStreamCases), testsupport::CaseName());

TEST(ZmodemSubpacketLimitTest, OverlongSubpacketIsRefusedNotOverrun) {
    std::vector<uint8_t> bytes;
    ZmodemEncoder encoder;
    encoder.binaryHeader(bytes, ZmodemHeader::at(ZDATA, 0), false);
    bytes.insert(bytes.end(), zmodemMaxSubpacket + 10, 'a');
    MemorySource source(bytes);
    ZmodemReader reader(source, 10);
    ZmodemHeader header;
    ASSERT_EQ(reader.readHeader(header), ZDATA);
    std::vector<uint8_t> data(zmodemMaxSubpacket);
    size_t count = 0;
    EXPECT_EQ(reader.readSubpacket(data.data(), count), ZM_TOO_LONG);
    EXPECT_EQ(count, zmodemMaxSubpacket);
}

struct FileInfoCase {
    const char *name;
    std::string bytes;
    std::string expectedName;
    int64_t length;
    int64_t modified;
    uint32_t mode;
};

std::ostream &operator<<(std::ostream &out, const FileInfoCase &c) { return out << c.name; }

class FileInfoTest : public ::testing::TestWithParam<FileInfoCase> {};

TEST_P(FileInfoTest, FieldsAreReadWithinBounds) {
    const FileInfoCase &c = GetParam();
    ZmodemFileInfo info = parseZmodemFileInfo(reinterpret_cast<const uint8_t *>(c.bytes.data()), c.bytes.size());
    EXPECT_EQ(info.name, c.expectedName);
    EXPECT_EQ(info.length, c.length);
    EXPECT_EQ(info.modified, c.modified);
    EXPECT_EQ(info.mode, c.mode);
}

using namespace std::string_literals;
const FileInfoCase kFileInfoCases[] = {
    {"full_fields", "data.bin\0" "1234 14567 100644 0 3 9999\0"s, "data.bin", 1234, 014567, 0100644},
    {"name_only", "data.bin\0"s, "data.bin", -1, 0, 0},
    {"name_without_nul", "data.bin"s, "data.bin", -1, 0, 0},
    {"length_only", "a b\0" "77\0"s, "a b", 77, 0, 0},
    {"length_not_a_number", "x\0" "12z 10\0"s, "x", -1, 8, 0},
    {"length_beyond_two_gigabytes", "x\0" "99999999999 1\0"s, "x", -1, 1, 0},
    {"octal_time_with_an_eight", "x\0" "5 18\0"s, "x", 5, 0, 0},
    {"extra_spaces", "x\0" "  5   10  644\0"s, "x", 5, 8, 0644},
    {"empty", ""s, "", -1, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Fields, FileInfoTest, ::testing::ValuesIn(kFileInfoCases), testsupport::CaseName());

TEST(ZmodemFileInfoTest, BuiltSubpacketReadsBack) {
    ZmodemFileInfo info{"with space.bin", 1048576, 01234567, 0100600};
    std::vector<uint8_t> bytes = buildZmodemFileInfo(info, 2, 5000);
    ZmodemFileInfo read = parseZmodemFileInfo(bytes.data(), bytes.size());
    EXPECT_EQ(read.name, info.name);
    EXPECT_EQ(read.length, info.length);
    EXPECT_EQ(read.modified, info.modified);
    EXPECT_EQ(read.mode, info.mode);
    EXPECT_EQ(bytes.back(), 0);
}

}  // namespace
