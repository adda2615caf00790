// The process-wide state a retrieval has to change, and the one place that
// changes it: the library writes a received file into the working directory
// (so the receive enters the data folder), and opens COM n at the device
// named by the environment variable KORLINK_COM<n> (so the command line's
// --device names its path there). Every change made through one object is
// undone by its destructor, newest first, on every exit path; nothing else
// in the retrieval touches the working directory or the environment.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace trelm::retrieval {

class ScopedProcessState {
public:
    ScopedProcessState() = default;
    ~ScopedProcessState();
    ScopedProcessState(const ScopedProcessState &) = delete;
    ScopedProcessState &operator=(const ScopedProcessState &) = delete;

    // Makes `dir` the working directory; an empty path keeps the current
    // one. False when it cannot be entered (nothing changed then).
    bool enterDirectory(const std::filesystem::path &dir);
    // Sets the environment variable `name` to `value`.
    void setEnvironment(const std::string &name, const std::string &value);

private:
    struct SavedVariable {
        std::string name;
        std::optional<std::string> value; // none: it was not set
    };
    std::optional<std::filesystem::path> m_previousDirectory;
    std::vector<SavedVariable> m_savedVariables;
};

} // namespace trelm::retrieval
