#include "cli/fleet_display.h"

#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace trelm::cli {

namespace {

// A live line longer than the terminal would wrap and break the count of
// lines to move back over.
constexpr std::size_t kDefaultWidth = 80;

std::size_t terminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
        return size.ws_col - 1;
    return kDefaultWidth - 1;
}

} // namespace

FleetDisplay::FleetDisplay(std::ostream &err, bool terminal) : m_err(err), m_terminal(terminal) {}

void FleetDisplay::erase() {
    if (m_drawn > 0)
        m_err << "\x1b[" << m_drawn << "A\r\x1b[J"; // up over the block, clear to the end
    m_drawn = 0;
}

void FleetDisplay::draw() {
    const std::size_t width = terminalWidth();
    for (const auto &[station, text] : m_lines)
        m_err << text.substr(0, width) << '\n';
    m_drawn = m_lines.size();
    m_err << std::flush;
}

void FleetDisplay::event(const std::string &text) {
    if (!m_terminal) {
        m_err << text << '\n' << std::flush;
        return;
    }
    erase();
    m_err << text << '\n';
    draw();
}

void FleetDisplay::childLine(const std::string &station, const std::string &line) {
    if (!m_terminal)
        m_err << '[' << station << "] " << line << '\n' << std::flush;
}

void FleetDisplay::live(const std::string &station, const std::string &text) {
    if (!m_terminal)
        return;
    auto found = std::find_if(m_lines.begin(), m_lines.end(), [&](const auto &line) { return line.first == station; });
    if (found == m_lines.end())
        m_lines.emplace_back(station, text);
    else if (found->second == text)
        return;
    else
        found->second = text;
    erase();
    draw();
}

void FleetDisplay::drop(const std::string &station) {
    const auto found =
        std::find_if(m_lines.begin(), m_lines.end(), [&](const auto &line) { return line.first == station; });
    if (found == m_lines.end())
        return;
    m_lines.erase(found);
    if (m_terminal) {
        erase();
        draw();
    }
}

} // namespace trelm::cli
