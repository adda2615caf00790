#include "retrieval/scoped_process_state.h"

#include <cstdlib>
#include <system_error>

namespace trelm::retrieval {

ScopedProcessState::~ScopedProcessState() {
    for (auto saved = m_savedVariables.rbegin(); saved != m_savedVariables.rend(); ++saved) {
        if (saved->value)
            setenv(saved->name.c_str(), saved->value->c_str(), 1);
        else
            unsetenv(saved->name.c_str());
    }
    if (m_previousDirectory) {
        std::error_code error;
        std::filesystem::current_path(*m_previousDirectory, error);
    }
}

bool ScopedProcessState::enterDirectory(const std::filesystem::path &dir) {
    if (dir.empty())
        return true;
    std::error_code error;
    const std::filesystem::path previous = std::filesystem::current_path(error);
    if (error)
        return false; // without a way back the folder is not entered
    std::filesystem::current_path(dir, error);
    if (error)
        return false;
    if (!m_previousDirectory)
        m_previousDirectory = previous; // the first directory is the one restored
    return true;
}

void ScopedProcessState::setEnvironment(const std::string &name, const std::string &value) {
    const char *old = std::getenv(name.c_str());
    m_savedVariables.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    setenv(name.c_str(), value.c_str(), 1);
}

} // namespace trelm::retrieval
