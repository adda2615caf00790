#include "fleet/summary_table.h"

#include <algorithm>
#include <cstdio>

namespace trelm::fleet {

namespace {

constexpr std::size_t kColumnGap = 2;

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1fs", value);
    return text;
}

} // namespace

std::string summaryTable(const std::vector<SummaryRow> &rows) {
    std::vector<std::vector<std::string>> cells = {
        {"STATION", "OUTCOME", "ATTEMPTS", "EVENTS", "CURRENT", "TIME", "REASON"}};
    for (const SummaryRow &row : rows)
        cells.push_back({row.station, row.outcome, std::to_string(row.attempts),
                         row.events < 0 ? "-" : std::to_string(row.events),
                         row.currentEvent.empty() ? "-" : row.currentEvent, seconds(row.seconds), row.reason});
    const std::size_t padded = cells[0].size() - 1;
    std::vector<std::size_t> widths(padded, 0);
    for (const auto &line : cells)
        for (std::size_t column = 0; column < padded; ++column)
            widths[column] = std::max(widths[column], line[column].size());
    std::string table;
    for (const auto &line : cells) {
        std::string text;
        for (std::size_t column = 0; column < padded; ++column)
            text += line[column] + std::string(widths[column] - line[column].size() + kColumnGap, ' ');
        text += line[padded];
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        table += text + '\n';
    }
    return table;
}

} // namespace trelm::fleet
