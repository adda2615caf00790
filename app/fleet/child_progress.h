// What a running `trelmlink retrieve` tells on stderr, read back line by
// line: the phase it is in, the bytes and share received, the closing
// summary (event files written, current event) and the lines that give a
// failure's reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trelm::fleet {

class ChildProgress {
public:
    // Takes one line of the child's stderr, without its line break.
    void takeLine(const std::string &line);

    const std::string &phase() const { return m_phase; }
    std::int64_t bytes() const { return m_bytes; }
    int percent() const { return m_percent; } // -1 until the transfer reports
    int eventsWritten() const { return m_events; } // -1 until the summary came
    const std::string &currentEvent() const { return m_current; }
    // The error lines ("trelmlink: ..."), without the prefix, joined by "; ".
    std::string reason() const;

private:
    std::string m_phase;
    std::int64_t m_bytes = 0;
    int m_percent = -1;
    int m_events = -1;
    std::string m_current;
    std::vector<std::string> m_errors;
};

} // namespace trelm::fleet
