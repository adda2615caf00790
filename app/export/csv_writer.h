// Line syntax of the CSV exports: items separated by ",", text items in
// double quotes, bare numbers unquoted, every line ended by CR LF.
#pragma once

#include <initializer_list>
#include <span>
#include <string>

namespace trelm {

struct CsvItem {
    CsvItem(std::string text) : text(std::move(text)) {}
    CsvItem(const char *text) : text(text) {}
    std::string text;
    bool quoted = true;
};

// An unquoted item: a plain whole number.
CsvItem bareNumber(long value);

class CsvWriter {
public:
    void line(std::initializer_list<CsvItem> items) { line(std::span<const CsvItem>(items.begin(), items.size())); }
    void line(std::span<const CsvItem> items);
    void emptyLine() { line({}); }
    const std::string &text() const { return m_text; }

private:
    void append(const CsvItem &item);
    std::string m_text;
};

} // namespace trelm
