#include "session.h"

#include "korlink.h"
#include "status_text.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korlinkxfer {
namespace {

// The end-of-file byte: recognised on send, the receiver has confirmed the end.
constexpr intptr_t kEot = 0x04;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string rateText(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1000) std::snprintf(text, sizeof text, "%.1f kB/s", bytesPerSecond / 1000);
    else std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
    return text;
}

}  // namespace

Session::Session(bool sending, bool verbose, bool packets)
    : m_sending(sending), m_verbose(verbose), m_packets(packets), m_terminal(isatty(STDERR_FILENO) == 1) {}

void Session::onReport(int32_t status, intptr_t param) {
    switch (status) {
    case KORLINK_STATUS_FILE_OPENING: startFile(reinterpret_cast<const char *>(param)); break;
    case KORLINK_STATUS_RENAMED: m_name = reinterpret_cast<const char *>(param); break;
    case KORLINK_STATUS_FILE_NAME:
        // The empty name is the header that ends a batch, not a file.
        m_endOfBatch = param == 0 || *reinterpret_cast<const char *>(param) == 0;
        if (m_endOfBatch) return;
        break;
    case KORLINK_STATUS_FILE_LENGTH: if (!m_endOfBatch) m_length = param; break;
    case KORLINK_STATUS_FILE_TIME: if (!m_endOfBatch) m_fileTime = param; break;
    case KORLINK_STATUS_BYTE_COUNT:
        m_bytes = param;
        if (m_sending && param > 0 && m_blockSize == 0) m_blockSize = param;
        break;
    case KORLINK_STATUS_RECOGNISED: if (m_sending && param == kEot) m_endConfirmed = true; break;
    case KORLINK_STATUS_END_UNCONFIRMED: m_endUnconfirmed = true; break;
    case KORLINK_STATUS_SHORT_FILE: m_shortFile = true; break;
    case KORLINK_STATUS_FILE_CLOSED:
        // A send tells with 1 that the file is through: Kermit's receiver
        // acknowledged its end, or ASCII's last byte left the line.
        if (m_sending && param == 1) m_endConfirmed = true;
        endFile();
        break;
    default: break;
    }
    if (m_endOfBatch && (status == KORLINK_STATUS_FILE_LENGTH || status == KORLINK_STATUS_FILE_TIME)) return;
    if (m_verbose || !isPerBlockReport(status, param)) printLine(status, param);
    if (status == KORLINK_STATUS_BYTE_COUNT && !m_verbose && m_open) drawProgress(false);
}

void Session::startFile(const char *name) {
    m_name = name ? name : "";
    m_open = true;
    m_complete = false;
    m_endOfBatch = false;
    m_bytes = 0;
    m_blockSize = 0;
    m_endConfirmed = false;
    m_endUnconfirmed = false;
    m_shortFile = false;
    m_fileStart = Clock::now();
    m_lastDraw = {};
    m_progressShown = false;
}

void Session::endFile() {
    if (!m_open) return;
    m_complete = m_sending ? m_endConfirmed || m_endUnconfirmed : !m_shortFile;
    if (!m_verbose) drawProgress(true);
    if (m_complete) {
        ++m_files;
        // A received file counts what it holds: the last byte count of a
        // capture may lag behind what was written.
        struct stat info {};
        if (!m_sending && !m_name.empty() && stat(m_name.c_str(), &info) == 0) m_bytes = info.st_size;
        m_totalBytes += m_length >= 0 && m_bytes > m_length ? m_length : m_bytes;
        if (!m_sending) applyFileTime();
    }
    m_open = false;
}

// A received file gets the modification time its sender announced.
void Session::applyFileTime() const {
    if (m_fileTime <= 0 || m_name.empty()) return;
    timespec times[2] = {{static_cast<time_t>(m_fileTime), 0}, {static_cast<time_t>(m_fileTime), 0}};
    utimensat(AT_FDCWD, m_name.c_str(), times, 0);
}

void Session::printLine(int32_t status, intptr_t param) {
    if (m_progressShown && m_terminal) std::fputs("\r\033[K", stderr);
    std::printf("%s\n", describeStatus(status, param, m_sending, m_packets).c_str());
    std::fflush(stdout);
}

// On a terminal one line per file, redrawn at most ten times a second;
// elsewhere a plain line a second and one at the end of the file.
void Session::drawProgress(bool final) {
    Clock::time_point now = Clock::now();
    auto gap = m_terminal ? std::chrono::milliseconds(100) : std::chrono::milliseconds(1000);
    if (!final && m_progressShown && now - m_lastDraw < gap) return;
    if (!final && !m_progressShown && !m_terminal && now - m_fileStart < gap) return;
    m_lastDraw = now;
    std::string text = progressText();
    if (m_terminal) std::fprintf(stderr, "\r%s\033[K%s", text.c_str(), final ? "\n" : "");
    else std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    m_progressShown = !final;
}

std::string Session::progressText() const {
    int64_t bytes = m_length >= 0 && m_bytes > m_length ? m_length : m_bytes;
    double elapsed = secondsSince(m_fileStart);
    double rate = elapsed > 0 ? static_cast<double>(bytes) / elapsed : 0;
    std::string text = m_name + ": " + std::to_string(bytes) + " bytes";
    if (m_length > 0) text += " (" + std::to_string(bytes * 100 / m_length) + "%)";
    if (rate > 0) text += ", " + rateText(rate);
    if (m_length > bytes && rate > 0)
        text += ", " + std::to_string(static_cast<long long>((m_length - bytes) / rate + 0.5)) + " s left";
    return text;
}

void Session::closeProgress() {
    if (m_progressShown && m_terminal) std::fputs("\n", stderr);
    m_progressShown = false;
}

std::string Session::summary() const {
    double elapsed = secondsSince(m_start);
    char text[128];
    std::snprintf(text, sizeof text, "%d file%s, %lld bytes in %.1f s (%s)", m_files,
                  m_files == 1 ? "" : "s", static_cast<long long>(m_totalBytes), elapsed,
                  rateText(elapsed > 0 ? static_cast<double>(m_totalBytes) / elapsed : 0).c_str());
    return text;
}

std::string Session::note() const {
    if (!m_sending || !m_endUnconfirmed) return {};
    return m_name + ": every block acknowledged; the receiver did not confirm the end, as some receivers do "
                    "when they exit";
}

std::string Session::outcome(int code) const {
    if (m_name.empty() || m_complete) return {};
    if (m_sending) {
        // Each block acknowledged moves the count on by a block; the last one
        // holds the end of the file, so the count then passes its length.
        bool allThrough = m_blockSize > 0 && m_length >= 0 && m_bytes > m_length;
        if (code != KORLINK_STATUS_TIMEOUT || !allThrough || m_endConfirmed) return {};
        return m_name + ": all " + std::to_string(m_bytes / m_blockSize) +
               " blocks acknowledged; the receiver did not confirm the end of file";
    }
    // A file refused before any data (a name in use, a disk error) is not a
    // partial file: what carries its name is older.
    struct stat info {};
    if (m_bytes <= 0 || stat(m_name.c_str(), &info) != 0) return {};
    return "partial file kept: " + m_name + " (" + std::to_string(static_cast<long long>(info.st_size)) +
           " bytes)";
}

}  // namespace korlinkxfer
