#include "cli/interrupt_watch.h"

#include "cli/retrieve_ui.h"
#include "korlink_binder/korlink_binder.h"

namespace trelm::cli {

namespace {

// Escape as the library's pump reports it (scan code 1 * 256 + ESC 27):
// what cancels a transfer.
constexpr int kEscapeKey = 283;

volatile std::sig_atomic_t g_interrupted = 0;
retrieval::Retrieval *g_retrieval = nullptr;
RetrieveUi *g_ui = nullptr;

void onInterrupt(int) { g_interrupted = 1; }

// The library's pump during a retrieval.
int retrievePump() {
    if (g_ui)
        g_ui->keepAlive();
    if (!InterruptWatch::cancelIfInterrupted())
        return 0;
    return isReceiving(g_retrieval->state()) ? kEscapeKey : 0;
}

} // namespace

InterruptWatch::InterruptWatch(retrieval::Retrieval &retrieval, RetrieveUi &ui) {
    g_interrupted = 0;
    g_retrieval = &retrieval;
    g_ui = &ui;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a question waiting on the terminal returns at once.
    sigaction(SIGINT, &action, &m_oldInt);
    sigaction(SIGTERM, &action, &m_oldTerm);
    if (korlink::ready())
        korlink::COMMPumpHookSet(&retrievePump);
}

InterruptWatch::~InterruptWatch() {
    if (korlink::ready())
        korlink::COMMPumpHookSet(nullptr);
    sigaction(SIGINT, &m_oldInt, nullptr);
    sigaction(SIGTERM, &m_oldTerm, nullptr);
    g_retrieval = nullptr;
    g_ui = nullptr;
}

bool InterruptWatch::interrupted() { return g_interrupted != 0; }

bool InterruptWatch::cancelIfInterrupted() {
    if (!g_interrupted)
        return false;
    if (g_retrieval)
        g_retrieval->cancel();
    return g_retrieval != nullptr;
}

} // namespace trelm::cli
