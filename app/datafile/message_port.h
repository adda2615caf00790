// The user-interface port for short status messages ("Exporting data...",
// "Filling Grids...") that long operations of the core show while they run
// and remove when they end. The window shows them in its message window; the
// command line shows nothing, or one stderr line each with --verbose.
#pragma once

#include <ostream>
#include <string>

namespace trelm {

class MessagePort {
public:
    virtual ~MessagePort() = default;
    // Shows `text` until HideMessage; a second call replaces the text.
    virtual void ShowMessage(const std::string &text) = 0;
    // Removes the message; harmless when none is shown.
    virtual void HideMessage() = 0;
};

// Shows nothing: the command line's port without --verbose, and the port of
// callers that have no user to tell.
class SilentMessagePort final : public MessagePort {
public:
    void ShowMessage(const std::string &) override {}
    void HideMessage() override {}
};

// Writes each shown message as one line to a stream (stderr with the
// command line's --verbose); hiding writes nothing.
class StreamMessagePort final : public MessagePort {
public:
    explicit StreamMessagePort(std::ostream &stream) : m_stream(stream) {}
    void ShowMessage(const std::string &text) override { m_stream << text << '\n' << std::flush; }
    void HideMessage() override {}

private:
    std::ostream &m_stream;
};

// Shows a message for the lifetime of the object, so every way out of an
// operation, a failure included, removes it again.
class ShownMessage {
public:
    ShownMessage(MessagePort &port, const std::string &text) : m_port(port) { m_port.ShowMessage(text); }
    ~ShownMessage() { m_port.HideMessage(); }
    ShownMessage(const ShownMessage &) = delete;
    ShownMessage &operator=(const ShownMessage &) = delete;

private:
    MessagePort &m_port;
};

} // namespace trelm
