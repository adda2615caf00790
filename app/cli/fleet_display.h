// What a fleet run shows while it runs, on stderr. On a terminal: a block
// of live lines, one per running station (station, attempt, phase, bytes,
// share), redrawn in place below the lines that stay (starts, ends). In a
// file or pipe: every line of every child, prefixed with its station.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace trelm::cli {

class FleetDisplay {
public:
    FleetDisplay(std::ostream &err, bool terminal);

    bool terminal() const { return m_terminal; }
    // A line that stays (a station started, ended, a signal came).
    void event(const std::string &text);
    // One line the child said: printed as it is in plain mode.
    void childLine(const std::string &station, const std::string &line);
    // The live line of a station (terminal only); added when new.
    void live(const std::string &station, const std::string &text);
    // The station's live line goes.
    void drop(const std::string &station);

private:
    void erase();
    void draw();

    std::ostream &m_err;
    bool m_terminal;
    std::vector<std::pair<std::string, std::string>> m_lines;
    std::size_t m_drawn = 0;
};

} // namespace trelm::cli
