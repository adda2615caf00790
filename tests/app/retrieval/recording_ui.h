// Fakes of the retrieval's user-interface roles: each records what it is
// shown and answers questions from fields the test sets. RecordingUi plays
// all four, as the window does.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "datafile/message_port.h"
#include "retrieval/retrieval_ui.h"
#include "settings/ini_file.h"

class RecordingStatus : public trelm::retrieval::StatusDisplay {
public:
    // Called with each byte count of the transfer.
    std::function<void(std::int64_t)> onBytes;

    std::vector<std::string> statuses;
    std::vector<std::string> log;
    std::vector<std::string> modemLines;
    std::int64_t bytes = -1;
    std::int64_t mostBytes = -1; // a batch receive counts each file from 0 again
    bool okEnabled = true, retryEnabled = true, hintVisible = false, dialogShown = false, modemShown = false;
    bool hangUpEnabled = true;     // "Hang Up Modem"
    std::int64_t expectedBytes = 0;
    std::vector<std::string> notices;

    void loadStatusDialog() override {
        statuses.clear();
        log.clear();
        bytes = -1;
        hintVisible = false;
    }
    void setDownloadStatus(const std::string &text) override { statuses.push_back(text); }
    void setCancelHintVisible(bool visible) override { hintVisible = visible; }
    void setStatusButtons(bool ok, bool retry) override {
        okEnabled = ok;
        retryEnabled = retry;
    }
    void showStatusDialog() override { dialogShown = true; }
    void hideStatusDialog() override { dialogShown = false; }
    void appendMessageLog(const std::string &line) override { log.push_back(line); }
    void setBytesTransferred(std::int64_t count) override {
        bytes = count;
        mostBytes = std::max(mostBytes, count);
        if (onBytes)
            onBytes(count);
    }
    void showModemStatus(const std::string &text) override {
        modemShown = true;
        modemLines.push_back(text);
    }
    void hideModemStatus() override { modemShown = false; }
    void showNotice(const std::string &text) override { notices.push_back(text); }
    void setHangUpEnabled(bool enabled) override { hangUpEnabled = enabled; }
    void setExpectedBytes(std::int64_t count) override { expectedBytes = count; }
};

class ScriptedQuestions : public trelm::retrieval::Questions {
public:
    bool eventsOnly = false;
    std::string phoneAnswer;

    std::vector<std::string> boxes;
    int questions = 0;                     // Event/All questions asked
    std::vector<std::string> phonePrompts; // the stored number each prompt offered

    void messageBox(const std::string &text) override { boxes.push_back(text); }
    bool askEventDataOnly() override {
        ++questions;
        return eventsOnly;
    }
    std::string askPhoneNumber(const std::string &stored) override {
        phonePrompts.push_back(stored);
        return phoneAnswer;
    }
};

// The settings file the test's TRELMLINK_INI names.
class IniSettings : public trelm::retrieval::SettingsStore {
public:
    std::string readSetting(const std::string &section, const std::string &key) override {
        return trelm::readIniText(trelm::IniFilePath(), section, key);
    }
    void writeSetting(const std::string &section, const std::string &key, const std::string &value) override {
        (void)trelm::writeIniText(trelm::IniFilePath(), section, key, value);
    }
};

class RecordingWindow : public trelm::retrieval::WindowControls {
public:
    std::vector<std::string> filled;
    bool timer = false, retrieveEnabled = true, fileCommands = false, summaryTab = false;

    void setTimerEnabled(bool enabled) override { timer = enabled; }
    void setRetrieveEnabled(bool enabled) override { retrieveEnabled = enabled; }
    void enableFileCommands() override { fileCommands = true; }
    trelm::Status fillGrids(const std::string &eventFile) override {
        filled.push_back(eventFile);
        return trelm::Done{};
    }
    void showSummaryTab() override { summaryTab = true; }
    trelm::MessagePort &messages() override { return m_silent; }

private:
    trelm::SilentMessagePort m_silent;
};

class RecordingUi final : public RecordingStatus, public ScriptedQuestions, public IniSettings, public RecordingWindow {
public:
    trelm::retrieval::RetrievalUi roles() { return trelm::retrieval::RetrievalUi::of(*this); }
};
