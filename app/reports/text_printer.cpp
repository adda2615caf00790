#include "reports/text_printer.h"

namespace trelm {

void TextPrinter::printText(const std::string &text) {
    m_document += text;
    m_document += '\n';
}

Status TextPrinter::endDocument() {
    m_out << m_document;
    m_out.flush();
    m_document.clear();
    if (!m_out)
        return Error{m_name, "the report could not be written"};
    return Done{};
}

} // namespace trelm
