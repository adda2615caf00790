// The event used by the export and command-line tests: every channel
// carries values derived from its number, so each line of a CSV file can be
// checked by hand.
#pragma once

#include "test_data.h"

namespace sample {

constexpr std::int32_t kStart = 1118838605;      // 6/15/2005 12:30:05
constexpr std::int32_t kMinimumTime = 1118860200; // 6/15/2005 18:30:00
constexpr std::int32_t kMaximumTime = 1118898000; // 6/16/2005 05:00:00
const std::string kName = "0123_2005_06_15_12_30_05.bin";

// Filter c: average 200 + c, minimum 100 + c, maximum 300 + c tenths; a
// temperature warning for even c, a max dT of 30 + c for odd c. Canister slot
// s: volume 10080 + s, CV 120 + s, flow 1660 + s, std dev 10 + s; a flow
// warning of 15.00 on slot 2 only. Elapse 24 h against a 23 h reference.
inline testdata::EventBuilder event(std::int16_t config) {
    testdata::EventBuilder b;
    b.status(5).start(kStart).stop(kStart + 86400).elapse(86400).elapseWarning(82800).config(config);
    b.extremes(13, 215, -23, kMinimumTime, 305, kMaximumTime);
    b.extremes(14, 760, 755, kMinimumTime, 761, kMaximumTime);
    for (int c = 1; c <= 8; ++c) {
        b.extremes(c - 1, 200 + c, 100 + c, kMinimumTime, 300 + c, kMaximumTime);
        if (c % 2 == 0)
            b.filterWarning(c, kMinimumTime);
        else
            b.maxDt(c, 30 + c, kMaximumTime);
    }
    for (int s = 1; s <= 5; ++s)
        b.canister(s, 10080 + s, 120 + s, 1660 + s, 10 + s);
    b.flowWarning(2, 1500, kMinimumTime);
    return b;
}

// Three log rows ten minutes apart, then a zero stamp and one row that must
// not be read. Filter c reads 200 + 10c + i, slot s flows 1600 + 10s + i.
inline std::vector<testdata::LogRow> log() {
    std::vector<testdata::LogRow> rows(5);
    for (int i = 0; i < 3; ++i) {
        testdata::LogRow &r = rows[i];
        r.time = kStart + 600 * (i + 1);
        r.ambient = static_cast<std::int16_t>(210 + i);
        r.pressure = 760;
        r.pumpBox = static_cast<std::int16_t>(250 + i);
        for (int c = 1; c <= 8; ++c)
            r.filter[c - 1] = static_cast<std::int16_t>(200 + 10 * c + i);
        for (int s = 1; s <= 5; ++s)
            r.flow[s - 1] = static_cast<std::int16_t>(1600 + 10 * s + i);
    }
    rows[4] = rows[0];
    return rows;
}

} // namespace sample
