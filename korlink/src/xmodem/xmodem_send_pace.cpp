#include "xmodem/xmodem_send_pace.h"

#include <algorithm>
#include <cmath>

namespace korlink::xmodemsend {

void AnswerPace::sample(double ms) {
    double error = ms - m_meanMs;
    m_meanMs += error / 8;
    m_spreadMs += (std::abs(error) - m_spreadMs) / 4;
    ++m_samples;
}

int32_t AnswerPace::allowanceMs(int32_t lineMs) const {
    double ceiling = std::max(maxAllowanceMs, static_cast<double>(lineMs));
    if (m_samples == 0) return static_cast<int32_t>(ceiling);
    return static_cast<int32_t>(std::clamp(m_meanMs + 4 * m_spreadMs, minAllowanceMs, ceiling));
}

int32_t AnswerPace::graceMs() const {
    return static_cast<int32_t>(std::min(m_meanMs + 2 * m_spreadMs, maxGraceMs) + 0.5);
}

}  // namespace korlink::xmodemsend
