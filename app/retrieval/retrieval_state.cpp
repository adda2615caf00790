#include "retrieval/retrieval_state.h"

namespace trelm::retrieval {

namespace {

Controls idleControls(Outcome outcome) {
    Controls controls;
    controls.retrieve = true;
    // After a transfer the dialog stays up with its last line until "&OK".
    if (outcome == Outcome::Complete || outcome == Outcome::IntakeFailed || outcome == Outcome::TransferFailed ||
        outcome == Outcome::DiskFailed || outcome == Outcome::Cancelled)
        controls.buttons = Buttons::OkOnly;
    return controls;
}

} // namespace

Controls controlsFor(State state, Outcome outcome) {
    Controls controls;
    switch (state) {
    case State::Idle:
        return idleControls(outcome);
    case State::Probing:
    case State::AskingNumber:
    case State::HangingUp:
        break;
    case State::CheckingModem:
    case State::Dialling:
        controls.modemWindow = Set::Keep; // shown by the status lines of the dial-up
        break;
    case State::WakingLogger:
    case State::WakingAfterCall:
        controls.timer = true;
        controls.buttons = Buttons::Neither;
        controls.cancelHint = Set::Off;
        // After a modem call the dialog becomes visible only when step 8
        // asks the Event/All question, or with the wake-up error.
        controls.statusDialog = state == State::WakingLogger ? Set::On : Set::Keep;
        break;
    case State::WakeUpFailed:
        controls.buttons = Buttons::OkAndRetry;
        controls.statusDialog = Set::On; // else "&OK" and "&Retry" could not be reached
        break;
    case State::AskingScope:
        controls.cancelHint = Set::Off;
        controls.statusDialog = Set::Off;
        break;
    case State::Receiving:
        controls.cancelHint = Set::On;
        controls.statusDialog = Set::On;
        break;
    case State::ReceivingFromModule:
        // Shown after a direct wake-up, still hidden after a modem call.
        controls.cancelHint = Set::On;
        break;
    case State::TakingIn:
        controls.buttons = Buttons::OkOnly;
        break;
    case State::ShowingEvent:
        controls.statusDialog = Set::Off;
        break;
    }
    return controls;
}

bool isWaking(State state) { return state == State::WakingLogger || state == State::WakingAfterCall; }

bool isReceiving(State state) { return state == State::Receiving || state == State::ReceivingFromModule; }

const char *stateName(State state) {
    switch (state) {
    case State::Idle: return "idle";
    case State::Probing: return "probing";
    case State::CheckingModem: return "checking modem";
    case State::AskingNumber: return "asking number";
    case State::Dialling: return "dialling";
    case State::HangingUp: return "hanging up";
    case State::WakingLogger: return "waking logger";
    case State::WakingAfterCall: return "waking logger after call";
    case State::WakeUpFailed: return "wake-up failed";
    case State::AskingScope: return "asking scope";
    case State::Receiving: return "receiving";
    case State::ReceivingFromModule: return "receiving from module";
    case State::TakingIn: return "taking in";
    case State::ShowingEvent: return "showing event";
    }
    return "unknown";
}

const char *outcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Running: return "running";
    case Outcome::Complete: return "complete";
    case Outcome::IntakeFailed: return "intake failed";
    case Outcome::TransferFailed: return "transfer failed";
    case Outcome::DiskFailed: return "data not written";
    case Outcome::OpenFailed: return "port not opened";
    case Outcome::ModemFailed: return "modem failed";
    case Outcome::HungUp: return "modem disconnected";
    case Outcome::Abandoned: return "abandoned";
    case Outcome::FolderRefused: return "data folder refused";
    case Outcome::Cancelled: return "cancelled";
    }
    return "unknown";
}

} // namespace trelm::retrieval
