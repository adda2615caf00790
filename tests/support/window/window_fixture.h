// A window started in a fresh temporary folder with its own settings file;
// message boxes are recorded instead of shown.
#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include "shell/main_window.h"
#include "test_data.h"
#include "test_files.h"

class WindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the program's start-up with an optional file argument.
    trelm::shell::MainWindow &start(const std::optional<std::string> &file = std::nullopt);
    void writeIni(const std::string &text);
    std::string iniText() const { return testfiles::readText(m_ini); }
    // Writes an event file of the given model and configuration.
    std::filesystem::path writeEvent(const std::filesystem::path &path, std::int16_t modelFlag, std::int16_t config);

    template <typename Widget>
    Widget *find(const char *name) const {
        Widget *widget = m_window->findChild<Widget *>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    testfiles::TempDir m_dir{"window"};
    std::filesystem::path m_startDir;
    std::filesystem::path m_ini;
    QStringList m_messages;
    std::unique_ptr<trelm::shell::MainWindow> m_window;

private:
    std::filesystem::path m_savedDir;
};
