#include "export/csv_writer.h"

namespace trelm {

CsvItem bareNumber(long value) {
    CsvItem item(std::to_string(value));
    item.quoted = false;
    return item;
}

void CsvWriter::append(const CsvItem &item) {
    if (!item.quoted) {
        m_text += item.text;
        return;
    }
    // A double quote inside an item (possible only in a file path) is
    // doubled, so the line still splits into the right items.
    m_text += '"';
    for (char c : item.text) {
        if (c == '"')
            m_text += '"';
        m_text += c;
    }
    m_text += '"';
}

void CsvWriter::line(std::span<const CsvItem> items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            m_text += ',';
        append(items[i]);
    }
    m_text += "\r\n";
}

} // namespace trelm
