// The connection probe (what answers on the port) and the modem dial-up.
#include "korlink_binder/korlink_binder.h"
#include "retrieval/retrieval.h"
#include "settings/setting_value.h"

namespace trelm::retrieval {

namespace {

constexpr char kCarriageReturn = '\r';
// The probe asks every 10 ms and gives up when its count passes 15; a reply
// that is no answer counts twice.
constexpr std::int32_t kProbeWaitMs = 10;
constexpr int kProbeLimit = 15;
constexpr int kProbeNoiseCount = 2;
// With no answer at all the modem check gives up after 16 silent rounds,
// the dialling after 55.
constexpr int kModemCheckLimit = 15;
constexpr int kDialLimit = 54;

bool contains(const std::string &text, const char *part) { return text.find(part) != std::string::npos; }

bool modemAnswers(const std::string &reply) { return reply.size() > 1 && contains(reply, "OK"); }
bool moduleAnswers(const std::string &reply) { return reply.size() > 1 && contains(reply, "*"); }
bool samplerAnswers(const std::string &reply) { return reply.size() == 1 && reply[0] == kCarriageReturn; }
bool callConnected(const std::string &reply) { return reply.size() > 1 && contains(reply, "CONNECT"); }

} // namespace

Retrieval::Link Retrieval::connectionProbe() {
    checkPort();
    ReplyPoll poll;
    poll.waitMs = kProbeWaitMs;
    poll.limit = kProbeLimit;
    poll.noiseCount = kProbeNoiseCount;
    poll.ask = [this] {
        checkPort();
        korlink::c_puts(m_port, "AT\r");
    };
    poll.isAnswer = [](const std::string &reply) {
        return modemAnswers(reply) || moduleAnswers(reply) || samplerAnswers(reply);
    };
    poll.stopped = [this] { return m_state != State::Probing; };
    const PollResult probe = pollReplies(m_port, m_ui.questions, poll);
    switch (probe.end) {
    case PollEnd::Stopped:
        return Link::Ended;
    case PollEnd::GaveUp:
        // Nobody answered "AT": wake whatever is there directly, from step 0.
        checkPort();
        m_wakeUp.step = 0;
        break;
    case PollEnd::Answered:
        if (modemAnswers(probe.reply))
            return dialUp() ? Link::Modem : Link::Ended;
        if (moduleAnswers(probe.reply)) {
            korlink::c_putc(m_port, kCarriageReturn);
            m_wakeUp.step = 2;
            m_wakeUp.dataModule = true;
        } else {
            m_wakeUp.step = 7; // the sampler: straight to "Starting Download..."
        }
        break;
    }
    closeAllPorts();
    return Link::Direct;
}

// True when the call stands; otherwise the retrieval has ended.
bool Retrieval::dialUp() {
    enter(State::CheckingModem);
    if (!modemCheck())
        return false;
    enter(State::AskingNumber);
    const std::string number = m_ui.questions.askPhoneNumber(m_ui.settings.readSetting("PHONE_NUM", "NUMBER"));
    if (m_state != State::AskingNumber || number.empty() || !m_port) {
        if (m_state == State::HangingUp)
            finish(Outcome::HungUp);
        else if (running())
            finish(Outcome::ModemFailed);
        if (m_failure.empty())
            m_failure = "no telephone number to dial";
        return false;
    }
    if (!isSettingValue(number)) {
        // A line break would end the dial command early and send the rest
        // to the modem as a command of its own; it is never stored either.
        fail(Outcome::ModemFailed, "The telephone number was not dialled:\n" + std::string(kSettingValueRule));
        return false;
    }
    m_ui.settings.writeSetting("PHONE_NUM", "NUMBER", number);
    enter(State::Dialling);
    showModemLine("Modem Attached...");
    return modemAnswered(dial(number), "Host Modem Not Answering!");
}

bool Retrieval::modemCheck() {
    checkPort();
    ReplyPoll poll;
    poll.waitMs = m_settings.modemPauseMs;
    poll.limit = kModemCheckLimit;
    poll.ask = [this] {
        checkPort();
        showModemLine("Connecting to Modem...");
        korlink::c_puts(m_port, "AT\r\n");
    };
    poll.isAnswer = modemAnswers;
    poll.stopped = [this] { return m_state != State::CheckingModem; };
    if (!modemAnswered(pollReplies(m_port, m_ui.questions, poll).end, "Modem Not Responding!"))
        return false;
    showModemLine("Modem Attached...");
    return true;
}

PollEnd Retrieval::dial(const std::string &number) {
    checkPort();
    korlink::c_puts(m_port, ("ATDT" + number + "\r\n").c_str());
    ReplyPoll poll;
    poll.waitMs = m_settings.modemPauseMs;
    poll.limit = kDialLimit;
    poll.ask = [this, &number] { showModemLine("Dialing " + number); };
    poll.beforeReading = [this] { showModemLine("Connecting to TRELM Unit, Please Wait..."); };
    poll.isAnswer = callConnected;
    poll.stopped = [this] { return m_state != State::Dialling; };
    return pollReplies(m_port, m_ui.questions, poll).end;
}

// True when the modem gave its answer; otherwise the retrieval ends here: a
// modem that stayed silent is told with `silentMessage`. After "Disconnect
// Modem" the retrieval ends when the dial-up's wait has returned; after the
// status dialog was closed it has ended already.
bool Retrieval::modemAnswered(PollEnd end, const char *silentMessage) {
    switch (end) {
    case PollEnd::Answered:
        return true;
    case PollEnd::GaveUp:
        fail(Outcome::ModemFailed, silentMessage);
        return false;
    case PollEnd::Stopped:
        if (m_state == State::HangingUp)
            finish(Outcome::HungUp);
        return false;
    }
    return false;
}

} // namespace trelm::retrieval
