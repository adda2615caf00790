#include "kermit_script.h"

#include <gtest/gtest.h>

namespace kermittest {
namespace {

char toChar(int value) { return static_cast<char>(value + 32); }

char type1Check(const std::string &chars) {
    unsigned sum = 0;
    for (char c : chars) sum += static_cast<unsigned char>(c);
    return toChar(static_cast<int>((sum + ((sum >> 6) & 3)) & 63));
}

}  // namespace

std::string makePacket(char type, int seq, const std::string &data) {
    std::string body;
    body += toChar(static_cast<int>(data.size()) + 3);
    body += toChar(seq & 63);
    body += type;
    body += data;
    return std::string(1, '\x01') + body + type1Check(body) + '\r';
}

std::string defaultInit() { return std::string("~* @-#Y1~"); }

std::optional<Packet> readPacket(testsupport::PtyPair &line, std::chrono::milliseconds limit) {
    auto next = [&]() -> int {
        std::string got = line.receive(1, limit);
        return got.empty() ? -1 : static_cast<unsigned char>(got[0]);
    };
    int c;
    do {
        if ((c = next()) < 0) return std::nullopt;
    } while (c != 1);
    int len = next();
    if (len < 35) return std::nullopt;
    std::string body(1, static_cast<char>(len));
    for (int i = 0; i < len - 32; ++i) {
        if ((c = next()) < 0) return std::nullopt;
        body += static_cast<char>(c);
    }
    Packet packet;
    packet.seq = static_cast<unsigned char>(body[1]) - 32;
    packet.type = body[2];
    packet.data = body.substr(3, body.size() - 4);
    packet.checkOk = type1Check(body.substr(0, body.size() - 1)) == body.back();
    packet.eol = static_cast<char>(next());
    return packet;
}

void playSteps(xfertest::OpenPort &port, const std::vector<Step> &steps) {
    for (const Step &step : steps) {
        if (step.kind == Step::Send) {
            port.line().send(makePacket(step.type, step.seq, step.data));
        } else if (step.kind == Step::Raw) {
            port.line().send(step.data);
        } else if (step.kind == Step::Cancel) {
            COMMXferCancel(port.handle());
        } else {
            std::optional<Packet> packet = readPacket(port.line());
            while (packet && packet->type == 'Y' && packet->seq == 0 && step.seq != 0)
                packet = readPacket(port.line());
            ASSERT_TRUE(packet) << "no packet, expected " << step.type << step.seq;
            EXPECT_EQ(packet->type, step.type);
            EXPECT_EQ(packet->seq, step.seq);
            EXPECT_TRUE(packet->checkOk);
            if (!step.data.empty()) {
                EXPECT_EQ(packet->data, step.data);
            }
        }
    }
}

}  // namespace kermittest
