// One attempt of one station as the monitoring log keeps it: a JSON object
// on one line, appended to the --json file as the attempt ends.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace trelm::fleet {

struct AttemptRecord {
    std::string station;
    int attempt = 1;
    std::string line;   // the port or device
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point ended;
    int exitStatus = 0;
    std::string outcome; // "success", "retry may work", ...
    std::string reason;  // empty on success
    std::vector<std::string> files; // event files written
    std::string currentEvent;
    std::string log;     // the attempt's own log file
    bool willRetry = false;
};

// The object on one line, without the line break. Times are UTC in
// ISO 8601 with milliseconds, plus the milliseconds since the epoch for
// programs that compare them.
std::string attemptJson(const AttemptRecord &record);

// Text as a JSON string literal, quotes included.
std::string jsonString(const std::string &text);

// The outcome named for an exit status of `trelmlink retrieve`.
std::string outcomeName(int exitStatus);

} // namespace trelm::fleet
