#include "cli/retrieve_ui.h"

#include <cstdio>

#include "settings/ini_file.h"

namespace trelm::cli {

namespace {

// The whole memory of a sampler, as it arrives over the line.
constexpr std::int64_t kImageBytes = 114688;

std::string minutesAndSeconds(std::int64_t seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

} // namespace

RetrieveUi::RetrieveUi(std::ostream &err, std::istream &in, RetrieveAnswers answers, std::string portName)
    : m_err(err), m_in(in), m_answers(std::move(answers)), m_portName(std::move(portName)), m_stream(err) {}

void RetrieveUi::line(const std::string &text) {
    endProgress();
    m_err << text << '\n' << std::flush;
}

void RetrieveUi::endProgress() {
    if (m_progressShown && m_answers.progressOnTerminal)
        m_err << '\n';
    m_progressShown = false;
}

void RetrieveUi::loadStatusDialog() {
    m_lastStatus.clear();
    m_lastTenth = -1;
}

void RetrieveUi::setDownloadStatus(const std::string &text) {
    if (text.empty() || text == m_lastStatus)
        return;
    m_lastStatus = text;
    line(text);
}

void RetrieveUi::showModemStatus(const std::string &text) {
    if (text == m_lastModem)
        return;
    m_lastModem = text;
    line(text);
}

void RetrieveUi::setBytesTransferred(std::int64_t bytes) {
    const auto now = std::chrono::steady_clock::now();
    if (bytes <= 0) {
        m_transferStart = now;
        return;
    }
    const int percent = static_cast<int>(std::min<std::int64_t>(100, bytes * 100 / kImageBytes));
    // Plain lines for a file or pipe: one per tenth of the image.
    if (!m_answers.progressOnTerminal && percent / 10 == m_lastTenth)
        return;
    m_lastTenth = percent / 10;
    const double elapsed = std::chrono::duration<double>(now - m_transferStart).count();
    std::string text = std::to_string(bytes) + " bytes received, " + std::to_string(percent) + "%";
    if (elapsed > 0.0 && bytes < kImageBytes) {
        const double rate = static_cast<double>(bytes) / elapsed;
        text += ", " + minutesAndSeconds(static_cast<std::int64_t>((kImageBytes - bytes) / rate + 0.5)) + " left";
    }
    if (m_answers.progressOnTerminal) {
        m_err << '\r' << text << "   " << std::flush;
        m_progressShown = true;
    } else {
        m_err << text << '\n' << std::flush;
    }
}

void RetrieveUi::messageBox(const std::string &text) {
    m_told = true;
    endProgress();
    m_err << "trelmlink: " << m_portName << ": " << text << '\n' << std::flush;
}

std::string RetrieveUi::askLine(const std::string &prompt) {
    endProgress();
    m_err << prompt << std::flush;
    std::string answer;
    std::getline(m_in, answer);
    return answer;
}

bool RetrieveUi::askEventDataOnly() {
    if (m_answers.eventsOnly)
        return *m_answers.eventsOnly;
    if (!m_answers.interactive)
        return false; // all data when nobody can be asked
    const std::string answer = askLine("Would you like to only download the Event Data? [y/N] ");
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

std::string RetrieveUi::askPhoneNumber(const std::string &stored) {
    if (m_answers.phone)
        return *m_answers.phone;
    if (!m_answers.interactive) {
        if (stored.empty())
            messageBox("no telephone number: give one with --phone");
        return stored;
    }
    const std::string answer = askLine("Enter Phone Number: [" + stored + "] ");
    return answer.empty() ? stored : answer;
}

std::string RetrieveUi::readSetting(const std::string &section, const std::string &key) {
    return readIniText(IniFilePath(), section, key);
}

void RetrieveUi::writeSetting(const std::string &section, const std::string &key, const std::string &value) {
    if (Status written = writeIniText(IniFilePath(), section, key, value); !written)
        line("trelmlink: warning: " + written.error().message());
}

MessagePort &RetrieveUi::messages() {
    return m_answers.verbose ? static_cast<MessagePort &>(m_stream) : static_cast<MessagePort &>(m_silent);
}

} // namespace trelm::cli
