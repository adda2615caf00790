#include "archive/engine.h"

namespace archive {

Result<Statement *> Engine::statement(const std::string &sql) {
    if (auto found = m_prepared.find(sql); found != m_prepared.end())
        return found->second.get();
    auto prepared = prepare(sql);
    if (!prepared)
        return prepared.error();
    Statement *raw = prepared.value().get();
    m_prepared.emplace(sql, std::move(prepared).value());
    return raw;
}

WriteTransaction::~WriteTransaction() {
    if (m_open)
        (void)m_engine.rollback();
}

Status WriteTransaction::begin() {
    auto begun = m_engine.beginWrite();
    m_open = begun.ok();
    return begun;
}

Status WriteTransaction::commit() {
    m_open = false;
    auto committed = m_engine.commit();
    if (!committed)
        (void)m_engine.rollback();
    return committed;
}

} // namespace archive
