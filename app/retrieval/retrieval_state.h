// Where a retrieval stands, how it ended, and what the window's controls
// show in each state: the one table every control and dialog of the
// retrieval follows.
#pragma once

namespace trelm::retrieval {

enum class State {
    Idle,                // no retrieval runs; outcome() tells how the last one ended
    Probing,             // "AT" every 10 ms: a modem, a data module or the sampler?
    CheckingModem,       // a modem answered: "AT" once a second until it says OK
    AskingNumber,        // the telephone number question
    Dialling,            // "ATDT": waiting for CONNECT
    HangingUp,           // "Disconnect Modem" inside the dial-up: the port is closed,
                         // the dial-up ends the retrieval when its wait returns
    WakingLogger,        // the 400 ms wake-up steps, the status dialog shown
    WakingAfterCall,     // the same after a modem call: the dialog loaded, not yet shown
    WakeUpFailed,        // "Error Waking DataLogger!": the port stays open for "&Retry"
    AskingScope,         // the Event/All question, the status dialog hidden for it
    Receiving,           // the sampler's transfer, after the question
    ReceivingFromModule, // a data module's transfer, nobody asked
    TakingIn,            // the received file becomes event files
    ShowingEvent,        // taken in: the status dialog goes, the newest event fills the grids
};

// How a retrieval ended; Running while it goes on.
enum class Outcome {
    Running,
    Complete,       // received and taken in: the data is on disk
    IntakeFailed,   // received, but not (wholly) taken in; the received file is kept
    TransferFailed, // the receive failed or was cancelled
    DiskFailed,     // the received data could not be written (disk full, write error): no retry mends it
    OpenFailed,     // "Unable to open Port!"
    ModemFailed,    // no modem answer, no connection, or no number
    HungUp,         // "Disconnect Modem"
    Abandoned,      // the status dialog was closed before the transfer
    FolderRefused,  // the data folder cannot be written, or another retrieval holds it
    Cancelled,      // cancelled by the operator (Ctrl-C or SIGTERM on the command line)
};

// One control's part in a state: set on or off, or left as it is.
enum class Set { Keep, On, Off };

// The status dialog's "&OK" and "&Retry", which are always set together.
enum class Buttons { Keep, Neither, OkOnly, OkAndRetry };

struct Controls {
    bool timer = false;           // StartDownLoad ticks
    bool retrieve = false;        // "&Retrieve Data" can be pressed
    Buttons buttons = Buttons::Keep;
    Set cancelHint = Set::Keep;   // "Press <ESC> to CANCEL Download!"
    Set statusDialog = Set::Keep; // frmDownLoadStat shown
    Set modemWindow = Set::Off;   // frmDownLoadModem shown; its status lines show it
};

// The controls of `state`. Idle's depend on how the retrieval ended: after
// a transfer only "&OK" is left to press.
Controls controlsFor(State state, Outcome outcome);

// Wake-up states: the timer StartDownLoad runs in them and only in them.
bool isWaking(State state);
// The library's receive runs: closing the status dialog closes its port,
// and the receive then ends the retrieval itself.
bool isReceiving(State state);

const char *stateName(State state);
const char *outcomeName(Outcome outcome);

} // namespace trelm::retrieval
