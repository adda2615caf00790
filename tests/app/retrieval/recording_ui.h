// A user interface for the retrieval that records what it is shown and
// answers its questions from fields the test sets.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "datafile/message_port.h"
#include "retrieval/retrieval_ui.h"
#include "settings/ini_file.h"

class RecordingUi final : public trelm::retrieval::RetrievalUi {
public:
    // Answers.
    bool eventsOnly = false;
    std::string phoneAnswer;
    // Called with each byte count of the transfer.
    std::function<void(std::int64_t)> onBytes;

    // What was shown.
    std::vector<std::string> statuses;
    std::vector<std::string> boxes;
    std::vector<std::string> log;
    std::vector<std::string> modemLines;
    std::vector<std::string> filled;
    std::int64_t bytes = -1;
    std::int64_t mostBytes = -1; // a batch receive counts each file from 0 again
    int questions = 0;
    std::vector<std::string> phonePrompts; // the stored number each prompt offered
    bool okEnabled = true, retryEnabled = true, hintVisible = false, dialogShown = false, modemShown = false;
    bool timer = false, retrieveEnabled = true, fileCommands = false, summaryTab = false;

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
    void messageBox(const std::string &text) override { boxes.push_back(text); }
    bool askEventDataOnly() override {
        ++questions;
        return eventsOnly;
    }
    std::string askPhoneNumber(const std::string &stored) override {
        phonePrompts.push_back(stored);
        return phoneAnswer;
    }
    std::string readSetting(const std::string &section, const std::string &key) override {
        return trelm::readIniText(trelm::IniFilePath(), section, key);
    }
    void writeSetting(const std::string &section, const std::string &key, const std::string &value) override {
        (void)trelm::writeIniText(trelm::IniFilePath(), section, key, value);
    }
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
