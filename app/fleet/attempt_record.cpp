#include "fleet/attempt_record.h"

#include <cstdio>
#include <ctime>

#include "fleet/scheduler.h"

namespace trelm::fleet {

namespace {

std::int64_t epochMillis(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

std::string isoTime(std::chrono::system_clock::time_point time) {
    const std::int64_t millis = epochMillis(time);
    const std::time_t seconds = static_cast<std::time_t>(millis / 1000);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(millis % 1000));
    return text;
}

} // namespace

std::string jsonString(const std::string &text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                quoted += escaped;
            } else {
                quoted += c; // UTF-8 passes through as it is
            }
        }
    }
    return quoted + "\"";
}

std::string outcomeName(int exitStatus) {
    switch (exitStatus) {
    case kRetrieveSuccess: return "success";
    case kRetrieveSetUp: return "set-up failure";
    case kRetrieveLine: return "line failure";
    case kRetrieveNotTakenIn: return "not taken in";
    case kNotRun: return "not run";
    default: return "failed (status " + std::to_string(exitStatus) + ")";
    }
}

std::string attemptJson(const AttemptRecord &record) {
    std::string files = "[";
    for (const std::string &file : record.files) {
        if (files.size() > 1)
            files += ',';
        files += jsonString(file);
    }
    files += ']';
    // Fields in a fixed order, each "name":value.
    const std::pair<const char *, std::string> fields[] = {
        {"station", jsonString(record.station)},
        {"attempt", std::to_string(record.attempt)},
        {"line", jsonString(record.line)},
        {"started", jsonString(isoTime(record.started))},
        {"ended", jsonString(isoTime(record.ended))},
        {"started_ms", std::to_string(epochMillis(record.started))},
        {"ended_ms", std::to_string(epochMillis(record.ended))},
        {"exit_status", std::to_string(record.exitStatus)},
        {"outcome", jsonString(record.outcome)},
        {"reason", jsonString(record.reason)},
        {"files", files},
        {"current_event", jsonString(record.currentEvent)},
        {"log", jsonString(record.log)},
        {"will_retry", record.willRetry ? "true" : "false"},
    };
    std::string object = "{";
    for (const auto &[name, value] : fields) {
        if (object.size() > 1)
            object += ',';
        object.append("\"").append(name).append("\":").append(value);
    }
    return object + "}";
}

} // namespace trelm::fleet
