#include "cli/retrieve_ui.h"

#include <ctime>

#include "settings/ini_file.h"

namespace trelm::cli {

namespace {

// The longest silence while something is awaited.
constexpr auto kKeepAliveInterval = std::chrono::seconds(10);

} // namespace

RetrieveUi::RetrieveUi(std::ostream &err, std::istream &in, RetrieveAnswers answers, std::string portName)
    : m_err(err), m_in(in), m_answers(std::move(answers)), m_portName(std::move(portName)), m_stream(err) {}

bool RetrieveUi::openLog(const std::string &path) {
    m_log.open(path, std::ios::app);
    return m_log.is_open();
}

void RetrieveUi::toLog(const std::string &text) {
    if (!m_log.is_open())
        return;
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &parts);
    m_log << stamp << ' ' << text << '\n' << std::flush;
}

void RetrieveUi::logOnly(const std::string &text) { toLog(text); }

void RetrieveUi::line(const std::string &text) {
    toLog(text);
    m_lastLine = std::chrono::steady_clock::now();
    if (m_answers.quiet)
        return;
    endProgress();
    m_err << text << '\n' << std::flush;
}

void RetrieveUi::errorLine(const std::string &text) {
    toLog(text);
    m_lastLine = std::chrono::steady_clock::now();
    endProgress();
    m_err << text << '\n' << std::flush;
}

void RetrieveUi::note(const std::string &text) { line(text); }

void RetrieveUi::showNotice(const std::string &text) { line(text); }

void RetrieveUi::setExpectedBytes(std::int64_t bytes) { m_progress.setExpected(bytes); }

void RetrieveUi::keepAlive() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastLine < kKeepAliveInterval)
        return;
    const std::string awaited = m_lastModem.empty() || !m_lastStatus.empty() ? m_lastStatus : m_lastModem;
    std::string text = "still waiting";
    if (m_bytes > 0)
        text += " for the rest of the data (" + std::to_string(m_bytes) + " bytes so far)";
    else if (!awaited.empty())
        text += ": " + awaited;
    line(text);
}

void RetrieveUi::endProgress() {
    if (m_progressShown && m_answers.progressOnTerminal)
        m_err << '\n';
    m_progressShown = false;
}

void RetrieveUi::loadStatusDialog() {
    m_lastStatus.clear();
    m_lastTenth = -1;
    m_bytes = 0;
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
    m_bytes = bytes;
    const retrieval::ProgressFigures figures = m_progress.update(bytes, now);
    if (bytes <= 0)
        return;
    // Plain lines for a file or pipe: one per tenth of the image.
    if (!m_answers.progressOnTerminal && figures.percent / 10 == m_lastTenth)
        return;
    m_lastTenth = figures.percent / 10;
    const std::string text = retrieval::progressLine(figures);
    m_lastLine = now;
    toLog(text);
    if (m_answers.quiet)
        return;
    if (m_answers.progressOnTerminal) {
        m_err << '\r' << text << "   " << std::flush;
        m_progressShown = true;
    } else {
        m_err << text << '\n' << std::flush;
    }
}

void RetrieveUi::messageBox(const std::string &text) {
    m_told = true;
    // The first line names the port; the lines after it (the reason, where
    // the data went) follow it as they are.
    std::string::size_type start = 0;
    for (bool first = true; start <= text.size(); first = false) {
        const std::string::size_type end = std::min(text.find('\n', start), text.size());
        const std::string part = text.substr(start, end - start);
        errorLine(first ? "trelmlink: " + m_portName + ": " + part : "trelmlink: " + part);
        start = end + 1;
    }
}

std::optional<std::string> RetrieveUi::askLine(const std::string &prompt) {
    endProgress();
    m_err << prompt << std::flush;
    std::string answer;
    // Nothing when the terminal closed or Ctrl-C broke the read.
    if (!std::getline(m_in, answer))
        return std::nullopt;
    return answer;
}

bool RetrieveUi::askEventDataOnly() {
    if (m_answers.eventsOnly)
        return *m_answers.eventsOnly;
    if (!m_answers.interactive)
        return false; // all data when nobody can be asked
    const std::string answer = askLine("Would you like to only download the Event Data? [y/N] ").value_or("");
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
    const std::optional<std::string> answer = askLine("Enter Phone Number: [" + stored + "] ");
    if (!answer)
        return {}; // no answer at all: nothing is dialled
    return answer->empty() ? stored : *answer;
}

std::string RetrieveUi::readSetting(const std::string &section, const std::string &key) {
    return readIniText(IniFilePath(), section, key);
}

void RetrieveUi::writeSetting(const std::string &section, const std::string &key, const std::string &value) {
    if (Status written = writeIniText(IniFilePath(), section, key, value); !written)
        errorLine("trelmlink: warning: " + written.error().message());
}

MessagePort &RetrieveUi::messages() {
    return m_answers.verbose ? static_cast<MessagePort &>(m_stream) : static_cast<MessagePort &>(m_silent);
}

} // namespace trelm::cli
