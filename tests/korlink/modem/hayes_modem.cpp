#include "hayes_modem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <unistd.h>

namespace modemtest {

namespace {

std::string linesVariable(int com) { return "KORLINK_LINES" + std::to_string(com); }

std::string upper(std::string text) {
    for (char &c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

ScriptedModem::ScriptedModem(int com) : m_com(com) {
    m_line.exposeAs(com);
    setenv(linesVariable(com).c_str(), m_lines.path().c_str(), 1);
    writeLineFile("CD", false);
    m_thread = std::thread([this] { run(); });
}

ScriptedModem::~ScriptedModem() {
    m_stop = true;
    m_thread.join();
    unsetenv(linesVariable(m_com).c_str());
}

void ScriptedModem::addRule(const Rule &rule) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_rules.push_back(rule);
}

void ScriptedModem::setEcho(bool on) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_echo = on;
}

void ScriptedModem::setVerbose(bool on) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_verbose = on;
}

void ScriptedModem::setHangUpOnDtr(bool on) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_hangUpOnDtr = on;
}

void ScriptedModem::setCarrier(bool high) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_online = high;
    writeLineFile("CD", high);
}

std::string ScriptedModem::received() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_received;
}

bool ScriptedModem::waitFor(const std::string &text, std::chrono::milliseconds limit) const {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (received().find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        poll(nullptr, 0, 5);
    }
    return true;
}

std::string ScriptedModem::dtr() const { return readLineFile("DTR"); }

void ScriptedModem::writeLineFile(const std::string &name, bool high) {
    std::string path = (m_lines.path() / name).string();
    {
        std::ofstream out(path + ".tmp", std::ios::trunc);
        out << (high ? "1" : "0");
    }
    std::rename((path + ".tmp").c_str(), path.c_str());
}

std::string ScriptedModem::readLineFile(const std::string &name) const {
    std::ifstream in(m_lines.path() / name);
    std::string state;
    in >> state;
    return state;
}

void ScriptedModem::run() {
    while (!m_stop) {
        pollfd entry{m_line.master(), POLLIN, 0};
        if (poll(&entry, 1, 10) > 0 && (entry.revents & POLLIN)) {
            char bytes[256];
            ssize_t got = ::read(m_line.master(), bytes, sizeof bytes);
            std::lock_guard<std::mutex> guard(m_lock);
            for (ssize_t i = 0; i < got; ++i) take(bytes[i]);
        }
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_flood.empty()) m_line.send(m_flood);
        // A modem set to &D2 hangs up when the computer drops DTR.
        if (m_online && m_hangUpOnDtr && readLineFile("DTR") == "0") {
            m_online = false;
            writeLineFile("CD", false);
            sendResult("NO CARRIER", 3);
        }
    }
}

// One byte from the port; called with the lock held.
void ScriptedModem::take(char byte) {
    m_received += byte;
    if (m_online) {
        // Data while online; three escape characters leave for command mode.
        m_escapes = byte == '+' ? m_escapes + 1 : 0;
        if (m_escapes == 3) {
            m_online = false;
            m_escapes = 0;
            sendResult("OK", 0);
        }
        return;
    }
    if (m_echo) m_line.send(std::string(1, byte));
    if (byte == '\r') {
        commandLine(m_command);
        m_command.clear();
    } else if (byte != '\n') {
        m_command += byte;
    }
}

void ScriptedModem::commandLine(const std::string &line) {
    for (const Rule &rule : m_rules)
        if (rule.anyLine && line.rfind(rule.command, 0) == 0) {
            answer(rule);
            return;
        }
    std::string text = upper(line);
    size_t at = text.find("AT");
    if (at == std::string::npos) return;
    std::string command = text.substr(at + 2);
    if (!command.empty() && command[0] == 'Q' && (command.size() == 1 || !std::isdigit(static_cast<unsigned char>(command[1]))))
        command.erase(0, 1);
    for (const char *setting : {"E0", "E1", "V0", "V1"})
        if (command.find(setting) != std::string::npos) {
            if (setting[0] == 'E') m_echo = setting[1] == '1';
            else m_verbose = setting[1] == '1';
        }
    for (const Rule &rule : m_rules)
        if (!rule.anyLine && command.rfind(rule.command, 0) == 0) {
            answer(rule);
            return;
        }
    if (command.rfind("H0", 0) == 0) writeLineFile("CD", false);
    sendResult("OK", 0);
}

void ScriptedModem::answer(const Rule &rule) {
    if (rule.silent) return;
    if (rule.floods) {
        m_flood = rule.text;
        return;
    }
    if (rule.raw) m_line.send(rule.text);
    else sendResult(rule.text, rule.number);
    if (rule.connects) {
        m_online = true;
        writeLineFile("CD", true);
    }
}

void ScriptedModem::sendResult(const std::string &text, int number) {
    m_line.send(m_verbose ? "\r\n" + text + "\r\n" : std::to_string(number) + "\r");
}

}  // namespace modemtest
