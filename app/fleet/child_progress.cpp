#include "fleet/child_progress.h"

#include <cstdlib>

namespace trelm::fleet {

namespace {

const std::string kErrorPrefix = "trelmlink: ";
const std::string kWarningPrefix = "trelmlink: warning: ";
const std::string kSummaryPrefix = "Summary: ";
const std::string kBytesMarker = " bytes received, ";
const std::string kCurrentMarker = ", current event ";
const std::string kFolderMarker = ", folder ";

// The progress line: "12800 bytes received, 11% of 114688, 0:03 left".
bool progressLine(const std::string &line, std::int64_t &bytes, int &percent) {
    const auto marker = line.find(kBytesMarker);
    if (marker == std::string::npos || marker == 0)
        return false;
    char *end = nullptr;
    const long long count = std::strtoll(line.c_str(), &end, 10);
    if (end != line.c_str() + marker)
        return false;
    const char *share = line.c_str() + marker + kBytesMarker.size();
    const long value = std::strtol(share, &end, 10);
    if (end == share || *end != '%')
        return false;
    bytes = count;
    percent = static_cast<int>(value);
    return true;
}

} // namespace

void ChildProgress::takeLine(const std::string &line) {
    if (line.empty())
        return;
    if (progressLine(line, m_bytes, m_percent))
        return;
    if (line.rfind(kSummaryPrefix, 0) == 0) {
        m_events = std::atoi(line.c_str() + kSummaryPrefix.size());
        if (const auto current = line.find(kCurrentMarker); current != std::string::npos) {
            const auto start = current + kCurrentMarker.size();
            const auto folder = line.find(kFolderMarker, start);
            m_current = line.substr(start, folder == std::string::npos ? std::string::npos : folder - start);
        }
        return;
    }
    if (line.rfind(kWarningPrefix, 0) == 0)
        return; // a warning neither changes the phase nor explains a failure
    if (line.rfind(kErrorPrefix, 0) == 0) {
        m_errors.push_back(line.substr(kErrorPrefix.size()));
        return;
    }
    m_phase = line;
}

std::string ChildProgress::reason() const {
    std::string joined;
    for (const std::string &error : m_errors)
        joined += (joined.empty() ? "" : "; ") + error;
    return joined;
}

} // namespace trelm::fleet
