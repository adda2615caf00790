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
    double ceiling = std::max(maxAllowanceMs, static_cast<double>(lineMs)) * m_wasteScale;
    if (m_samples == 0) return static_cast<int32_t>(ceiling);
    return static_cast<int32_t>(std::clamp(m_meanMs + 4 * m_spreadMs, minAllowanceMs, ceiling));
}

void AnswerPace::copiesAnswered(bool all) {
    m_wasteScale = all ? std::min(m_wasteScale * 2, maxWasteScale) : std::max(m_wasteScale / 2, 1);
}

int32_t AnswerPace::graceMs() const {
    return static_cast<int32_t>(std::min(m_meanMs + 2 * m_spreadMs, maxGraceMs) + 0.5);
}

}  // namespace korlink::xmodemsend
