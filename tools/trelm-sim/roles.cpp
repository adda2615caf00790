#include "roles.h"

#include <chrono>
#include <random>

namespace trelmsim {

namespace {

constexpr char kEscape = 27;
constexpr int kPollMs = 50;
// How long a slow modem looks for the LF that ends a command line after its CR.
constexpr int kLineFeedWaitMs = 20;

bool stopping(const RoleContext &context) { return context.stop->load(); }

// The next byte from the program, or -1 when none came within kPollMs.
int nextByte(RoleContext &context) {
    int byte = c_waitc(context.port, -1, kPollMs);
    if (byte >= 0 && context.logByte)
        context.logByte(byte);
    return byte;
}

bool endsWith(const std::string &text, const std::string &tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Sends the image and counts it; true when the role should end (`once`).
bool transfer(RoleContext &context) {
    context.lastResult = context.sendImage();
    ++context.transfers;
    return context.once;
}

// The sampler's handling of one byte; true when the role should end.
bool samplerByte(RoleContext &context, std::string &line, int byte) {
    if (byte != '\r') {
        line.push_back(static_cast<char>(byte));
        if (line.size() > 64)
            line.erase(0, line.size() - 64);
        return false;
    }
    const bool command = endsWith(line, std::string(1, kEscape) + "{TFH") ||
                         endsWith(line, std::string(1, kEscape) + "{TFA");
    line.clear();
    if (command)
        return transfer(context);
    c_putc(context.port, '\r');
    return false;
}

}  // namespace

void serveSampler(RoleContext &context) {
    std::string line;
    while (!stopping(context)) {
        int byte = nextByte(context);
        if (byte >= 0 && samplerByte(context, line, byte))
            return;
    }
}

void serveModule(RoleContext &context) {
    static const std::string sequence = "p0\r\rb";
    size_t matched = 0;
    auto lastAnswer = std::chrono::steady_clock::time_point{};
    while (!stopping(context)) {
        int byte = nextByte(context);
        if (byte < 0)
            continue;
        if (matched < sequence.size() && byte == sequence[matched]) {
            if (++matched == sequence.size()) {
                matched = 0;
                if (transfer(context))
                    return;
            }
            continue;
        }
        matched = byte == 'p' ? 1 : 0;
        // The probe's "AT" CR and its CR that follows come together: one
        // answer serves both, so no stale text waits in the program's buffer.
        auto now = std::chrono::steady_clock::now();
        if (byte == '\r' && now - lastAnswer > std::chrono::seconds(1)) {
            c_puts(context.port, "\r\nTRELM DATA MODULE *\r\n");
            lastAnswer = now;
        }
    }
}

// A slow modem answers the program's modem check (AT CR LF) late, its probe
// (AT CR alone) at once: true when the line just ended is the check's.
// `readAhead` is the byte read in looking, -1 when none.
bool endsWithLineFeed(RoleContext &context, int &readAhead) {
    readAhead = c_waitc(context.port, -1, kLineFeedWaitMs);
    if (readAhead >= 0 && context.logByte)
        context.logByte(readAhead);
    const bool lineFeed = readAhead == '\n';
    if (lineFeed)
        readAhead = -1;
    return lineFeed;
}

void serveModem(RoleContext &context) {
    std::string line;
    int readAhead = -1;
    while (!stopping(context)) {
        int byte = readAhead >= 0 ? readAhead : nextByte(context);
        readAhead = -1;
        if (byte < 0)
            continue;
        if (byte == '\n')
            continue;  // the program ends its command lines with CR LF
        if (byte != '\r') {
            line.push_back(static_cast<char>(byte));
            if (line.size() > 80)
                line.erase(0, line.size() - 80);
            continue;
        }
        std::string command;
        for (char c : line)
            command.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        line.clear();
        const size_t at = command.find("AT");
        if (at == std::string::npos)
            continue;
        command.erase(0, at);
        if (command.rfind("ATD", 0) == 0) {
            size_t digits = command.find_first_not_of("ATDTP");
            context.dialled = digits == std::string::npos ? "" : command.substr(digits);
            ms_pause(500);  // the far modem answers and trains
            c_puts(context.port, "\r\nCONNECT 9600\r\n");
            serveSampler(context);
            return;
        }
        if (context.modemDelayMs > 0 && endsWithLineFeed(context, readAhead))
            ms_pause(context.modemDelayMs);
        c_puts(context.port, "\r\nOK\r\n");
    }
}

void serveSilent(RoleContext &context) {
    while (!stopping(context))
        nextByte(context);
}

void serveNoise(RoleContext &context) {
    static const std::string meaningless = "#$%&@!?~^xyzqjw0123456789";
    std::mt19937 random(7);
    while (!stopping(context)) {
        if (nextByte(context) < 0)
            continue;
        while (nextByte(context) >= 0) {
        }
        std::string reply(2 + random() % 7, ' ');
        for (char &c : reply)
            c = meaningless[random() % meaningless.size()];
        c_puts(context.port, reply.c_str());
    }
}

}  // namespace trelmsim
