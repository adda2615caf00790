// The user interface of a retrieval: the four roles it plays, each given by
// the front end that has it. The window plays all four; the command line
// plays the status display, the questions and the settings, and has no
// window (HeadlessWindow). Every call runs on the user-interface thread.
#pragma once

#include <cstdint>
#include <string>

#include "retrieval/questions.h"
#include "retrieval/settings_store.h"
#include "retrieval/status_display.h"
#include "retrieval/window_controls.h"

namespace trelm::retrieval {

struct RetrievalUi {
    StatusDisplay &status;
    Questions &questions;
    SettingsStore &settings;
    WindowControls &window;

    // A front end that plays every role itself.
    template <typename AllRoles>
    static RetrievalUi of(AllRoles &ui) {
        return RetrievalUi{ui, ui, ui, ui};
    }

    // The transfer log's lines and byte counts go to the status display.
    void appendMessageLog(const std::string &line) { status.appendMessageLog(line); }
    void setBytesTransferred(std::int64_t bytes) { status.setBytesTransferred(bytes); }
};

} // namespace trelm::retrieval
