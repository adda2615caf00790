// Writes the seed corpora of the fuzz targets into DIR/<target>/: event files
// and memory images from the test-data builder, batch header blocks, and
// well-formed XMODEM-family, Kermit and ZMODEM transfers as a sender puts
// them on the line.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sample_event.h"
#include "test_data.h"
#include "xfer_fixture.h"
#include "zmodem/zmodem_frame.h"

namespace fs = std::filesystem;
using testdata::Bytes;

namespace {

void writeSeed(const fs::path &dir, const std::string &name, const Bytes &bytes) {
    fs::create_directories(dir);
    testdata::writeFile(dir / name, bytes);
}

std::vector<testdata::LogRow> logRows(int count, std::int32_t start) {
    std::vector<testdata::LogRow> rows;
    for (int i = 0; i < count; ++i) {
        testdata::LogRow row;
        row.time = start + 900 * i;
        for (int c = 0; c < 8; ++c)
            row.filter[c] = static_cast<std::int16_t>(200 + c + i);
        for (int s = 0; s < 5; ++s)
            row.flow[s] = static_cast<std::int16_t>(1660 + s);
        row.ambient = 215;
        row.pressure = 760;
        rows.push_back(row);
    }
    return rows;
}

void eventFileSeeds(const fs::path &dir) {
    struct Case { std::int16_t model; std::int16_t config; int rows; };
    const Case cases[] = {{0, 1, 3}, {0, 4, 0}, {1, 0, 2}, {1, 6, 4}, {1, 10, 1}, {1, 12, 0}};
    for (const Case &c : cases) {
        const auto bytes = testdata::eventFileBytes({c.model}, sample::event(c.config), logRows(c.rows, sample::kStart));
        writeSeed(dir, "model" + std::to_string(c.model) + "_config" + std::to_string(c.config), bytes);
    }
}

// Trailing zeros are left off: the intake target pads its input back to a
// whole image, and short seeds mutate faster.
Bytes trimmed(Bytes bytes) {
    while (!bytes.empty() && bytes.back() == 0)
        bytes.pop_back();
    return bytes;
}

void imageSeeds(const fs::path &dir) {
    for (std::int16_t model : {0, 1}) {
        testdata::ImageBuilder image({model});
        const int first = 2580;  // a log that wraps round the end of the ring
        const auto rows = logRows(10, sample::kStart);
        for (int j = 0; j < 10; ++j)
            image.logSlot((first + j) % 2586, rows[j]);
        auto event = sample::event(model == 0 ? 2 : 9);
        event.logAddresses(testdata::ImageBuilder::logAddress(first), testdata::ImageBuilder::logAddress((first + 9) % 2586));
        image.slot(1, event);
        image.slot(2, sample::event(1).start(sample::kStart + 86400 * 2).logAddresses(0, 0));
        writeSeed(dir, "model" + std::to_string(model), trimmed(image.receivedBytes()));
    }
}

Bytes headerBlock(const std::string &fields) {
    Bytes data(128, 0);
    std::copy(fields.begin(), fields.end(), data.begin());
    return data;
}

void batchHeaderSeeds(const fs::path &dir) {
    using namespace std::string_literals;
    const std::string cases[] = {"swap.bin\0"s "114688 14567712345 100644 0"s, "../../etc/passwd\0"s "12"s,
                                 "sub/\0"s "0"s, "C:\\dir\\name.txt\0"s "99999999999"s, "\x01\x02\0"s "x"s};
    int n = 0;
    for (const auto &fields : cases)
        writeSeed(dir, "header" + std::to_string(n++), headerBlock(fields));
}

void append(Bytes &to, const std::vector<uint8_t> &more) { to.insert(to.end(), more.begin(), more.end()); }

void transferSeeds(const fs::path &dir) {
    const std::vector<uint8_t> data(300, 0x41);
    struct Case { const char *name; std::uint8_t protocol; size_t block; bool crc; };
    const Case plain[] = {{"xmodem", 105, 128, false}, {"xmodem_crc", 106, 128, true}, {"xmodem_1k", 107, 1024, true}};
    for (const Case &c : plain) {
        Bytes line{static_cast<std::uint8_t>(c.protocol - 105)};
        for (uint32_t n = 1, at = 0; at < data.size(); ++n, at += c.block)
            append(line, xfertest::makeBlock(n, {data.begin() + at, data.begin() + std::min(data.size(), at + c.block)},
                                             c.block, c.crc));
        line.push_back(0x04);
        writeSeed(dir, c.name, line);
    }
    for (std::uint8_t protocol : {108, 109}) {
        Bytes line{static_cast<std::uint8_t>(protocol - 105)};
        using namespace std::string_literals;
        const auto header = headerBlock("seed.dat\0"s "300 0 100644"s);
        append(line, xfertest::makeBlock(0, {header.begin(), header.end()}, 128, true));
        append(line, xfertest::makeBlock(1, data, 1024, true));
        line.push_back(0x04);
        line.push_back(0x04);
        append(line, xfertest::makeBlock(0, std::vector<uint8_t>(128, 0), 128, true));
        writeSeed(dir, "ymodem" + std::to_string(protocol), line);
    }
}

// A Kermit packet with a type-1 check, as a sender puts it on the line.
std::string kermitPacket(char type, int seq, const std::string &data) {
    std::string body;
    body += static_cast<char>(data.size() + 3 + 32);
    body += static_cast<char>((seq & 63) + 32);
    body += type;
    body += data;
    unsigned sum = 0;
    for (char c : body) sum += static_cast<unsigned char>(c);
    return "\x01" + body + static_cast<char>(((sum + ((sum >> 6) & 3)) & 63) + 32) + "\r";
}

// Whole Kermit batches: one file with control and eighth-bit prefixes and a
// repeat, and one with an unusable name.
void kermitSeeds(const fs::path &dir) {
    const std::string init = "~* @-#&1~";
    std::string batch = kermitPacket('S', 0, init) + kermitPacket('F', 1, "seed.bin") +
                        kermitPacket('D', 2, "~$A#M#J&#A###&#~&b") + kermitPacket('Z', 3, "") +
                        kermitPacket('B', 4, "");
    writeSeed(dir, "batch", Bytes(batch.begin(), batch.end()));
    std::string unnamed = kermitPacket('S', 0, init) + kermitPacket('F', 1, "..") + kermitPacket('D', 2, "abc") +
                          kermitPacket('Z', 3, "") + kermitPacket('B', 4, "");
    writeSeed(dir, "unnamed", Bytes(unnamed.begin(), unnamed.end()));
}

// One ZMODEM file as a sender streams it: ZFILE with its name and length,
// the data in subpackets of `piece` bytes, ZEOF, ZFIN and "OO".
std::string zmodemBatch(const std::string &name, const std::string &data, bool crc32, size_t piece) {
    using namespace korlink;
    ZmodemEncoder encoder;
    std::vector<uint8_t> out;
    auto bytes = [](const std::string &text) { return reinterpret_cast<const uint8_t *>(text.data()); };
    std::string info = name + '\0' + std::to_string(data.size()) + " 15306006016 100644" + '\0';
    encoder.binaryHeader(out, ZmodemHeader::withFlags(ZFILE, ZCBIN), crc32);
    encoder.subpacket(out, bytes(info), info.size(), ZCRCW, crc32);
    encoder.binaryHeader(out, ZmodemHeader::at(ZDATA, 0), crc32);
    for (size_t at = 0; at < data.size() || at == 0; at += piece) {
        std::string part = data.substr(std::min(at, data.size()), piece);
        bool last = at + piece >= data.size();
        encoder.subpacket(out, bytes(part), part.size(), last ? ZCRCE : ZCRCG, crc32);
        if (last) break;
    }
    encoder.binaryHeader(out, ZmodemHeader::at(ZEOF, static_cast<uint32_t>(data.size())), crc32);
    encoder.hexHeader(out, ZmodemHeader::at(ZFIN, 0));
    out.push_back('O');
    out.push_back('O');
    return {out.begin(), out.end()};
}

// ZMODEM batches: every byte value (escapes included) with CRC-32 and with
// CRC-16, an empty file, and a name that tries to leave the folder.
void zmodemSeeds(const fs::path &dir) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    const struct {
        const char *seed;
        std::string batch;
    } seeds[] = {{"all_bytes_crc32", zmodemBatch("seed.bin", all + all, true, 200)},
                 {"all_bytes_crc16", zmodemBatch("seed.bin", all, false, 1024)},
                 {"empty", zmodemBatch("empty.bin", "", true, 1024)},
                 {"path_name", zmodemBatch("../up/seed.bin", "abc", true, 1024)}};
    for (const auto &s : seeds) writeSeed(dir, s.seed, Bytes(s.batch.begin(), s.batch.end()));
}

// Modem replies, verbose and numeric.
void modemReplySeeds(const fs::path &dir) {
    const char *replies[] = {"\r\nCONNECT 2400/REL\r\n", "CARRIER 9600\r\n\r\nCONNECT 19200/V42B", "12\r",
                             "ATQD5551234\r13\r", "\r\nNO DIALTONE\r\n", "CONNECT 12000"};
    int n = 0;
    for (const char *reply : replies) {
        std::string text = reply;
        writeSeed(dir, "reply" + std::to_string(n++), Bytes(text.begin(), text.end()));
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 1;
    }
    const fs::path root = argv[1];
    eventFileSeeds(root / "fuzz_event_file");
    imageSeeds(root / "fuzz_intake");
    batchHeaderSeeds(root / "fuzz_batch_header");
    transferSeeds(root / "fuzz_xmodem_receive");
    kermitSeeds(root / "fuzz_kermit_receive");
    zmodemSeeds(root / "fuzz_zmodem_receive");
    modemReplySeeds(root / "fuzz_modem_reply");
    return 0;
}
