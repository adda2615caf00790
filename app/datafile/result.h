// Result of an operation that can fail: a value, or an error that names the
// thing concerned (a file, usually) and the reason in plain words.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace trelm {

struct Error {
    std::string subject; // what failed: a file path, or a short description
    std::string reason;  // why, in words a user understands

    // One line for a message box or stderr: "subject: reason".
    std::string message() const { return subject + ": " + reason; }
};

struct Done {};

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T &value() const & { return std::get<0>(m_state); }
    T &value() & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    const Error &error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

using Status = Result<Done>;

} // namespace trelm
