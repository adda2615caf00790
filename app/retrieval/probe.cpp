// The connection probe (what answers on the port) and the modem dial-up.
#include <algorithm>
#include <cctype>

#include "korlink_binder/fill_str.h"
#include "korlink_binder/korlink_binder.h"
#include "retrieval/retrieval.h"

namespace trelm::retrieval {

namespace {

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

// Everything waiting on the port, upper-cased; empty when nothing waits.
std::string replyOn(PortHandle port) {
    if (korlink::c_rxcount(port) <= 0)
        return {};
    return upperCase(fill_str(port));
}

} // namespace

void Retrieval::connectionProbe() {
    int counter = 0;
    int phase = 0;
    while (counter < 19) {
        if (phase == 0) {
            portCheck();
            phase = 1;
        } else if (phase == 1) {
            portCheck();
            korlink::c_puts(m_port, "AT\r");
            korlink::ms_pause(10);
            const std::string reply = replyOn(m_port);
            ++counter;
            if (reply.size() > 1 && contains(reply, "OK")) {
                phase = 2;
                dialUp();
            } else if (reply.size() > 1 && contains(reply, "*")) {
                korlink::c_putc(m_port, '\r');
                m_wakeUpStep = 2;
                m_dataModule = true;
                m_directFallback = true;
                phase = 2;
                closeAllPorts();
            } else if (reply.size() == 1 && reply[0] == '\r') {
                m_directFallback = true;
                m_wakeUpStep = 7;
                phase = 2;
                closeAllPorts();
            } else if (!reply.empty()) {
                ++counter;
                portCheck();
            }
            // Only while still probing: after an answer the port may be
            // closed already, and a dial-up must not be followed by a
            // direct wake-up.
            if (phase == 1 && counter > 15) {
                counter = 0;
                portCheck();
                closeAllPorts();
                m_modemConnected = false;
                m_directFallback = true;
                m_wakeUpStep = 0;
                m_ui.setStatusButtons(true, true);
                phase = 2;
            }
        } else {
            counter = 20;
        }
    }
}

void Retrieval::dialUp() {
    m_hangUp = false;
    m_modemConnected = false;
    m_dialling = true;
    const bool attached = modemCheck();
    if (!attached) {
        m_dialling = false;
        return;
    }
    m_ui.hideModemStatus();
    const std::string number = m_ui.askPhoneNumber(m_ui.readSetting("PHONE_NUM", "NUMBER"));
    if (number.empty() || m_hangUp || !m_port) {
        m_modemConnected = false;
        m_ui.hideModemStatus();
        m_dialling = false;
        finish(m_hangUp ? Outcome::HungUp : Outcome::ModemFailed);
        if (m_failure.empty())
            m_failure = "no telephone number to dial";
        return;
    }
    m_ui.writeSetting("PHONE_NUM", "NUMBER", number);
    m_ui.showModemStatus("Modem Attached...");
    dial(number);
    m_dialling = false;
    if (!m_modemConnected && m_running)
        finish(m_hangUp ? Outcome::HungUp : Outcome::ModemFailed);
}

bool Retrieval::modemCheck() {
    int counter = 0;
    int phase = 0;
    while (counter < 19) {
        if (phase == 0) {
            portCheck();
            phase = 1;
        } else if (phase == 1) {
            portCheck();
            m_ui.showModemStatus("Connecting to Modem...");
            korlink::c_puts(m_port, "AT\r\n");
            korlink::ms_pause(m_settings.modemPauseMs);
            if (m_hangUp) { // "Disconnect Modem" during the pause closed the port
                finish(Outcome::HungUp);
                return false;
            }
            const std::string reply = replyOn(m_port);
            if (reply.empty()) {
                ++counter;
            } else if (reply.size() > 1 && contains(reply, "OK")) {
                m_modemConnected = true;
                m_ui.showModemStatus("Modem Attached...");
                phase = 2;
            } else {
                portCheck();
            }
            if (counter > 15) {
                m_ui.hideModemStatus();
                m_failure = "Modem Not Responding!";
                m_ui.messageBox(m_failure);
                m_modemConnected = false;
                finish(Outcome::ModemFailed);
                return false;
            }
        } else {
            counter = 20;
        }
    }
    return true;
}

bool Retrieval::dial(const std::string &number) {
    int counter = 0;
    int phase = 0;
    while (counter < 55) {
        if (phase == 0) {
            portCheck();
            phase = 1;
        } else if (phase == 1) {
            const std::string command = "ATDT" + number + "\r\n";
            korlink::c_puts(m_port, command.c_str());
            phase = 2;
        } else if (phase == 2) {
            if (!m_hangUp) {
                m_ui.showModemStatus("Dialing " + number);
                korlink::ms_pause(m_settings.modemPauseMs);
            }
            // "Disconnect Modem" closed the port: the call ends here, not
            // connected, and the closed port is not used again.
            if (m_hangUp)
                return false;
            m_ui.showModemStatus("Connecting to TRELM Unit, Please Wait...");
            const std::string reply = replyOn(m_port);
            if (reply.empty()) {
                ++counter;
            } else if (reply.size() > 1 && contains(reply, "CONNECT")) {
                m_modemConnected = true;
                phase = 3;
            } else {
                portCheck();
            }
            if (counter > 54) {
                m_ui.hideModemStatus();
                m_failure = "Host Modem Not Answering!";
                m_ui.messageBox(m_failure);
                m_modemConnected = false;
                return false;
            }
        } else {
            counter = 56;
        }
    }
    return m_modemConnected;
}

} // namespace trelm::retrieval
