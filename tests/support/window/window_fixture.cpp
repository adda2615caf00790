#include "window_fixture.h"

#include <cstdlib>

#include "sample_event.h"
#include "settings/process_state.h"
#include "shell/message_box.h"
#include "shell/window_app.h"

namespace fs = std::filesystem;

void WindowTest::SetUp() {
    m_savedDir = fs::current_path();
    m_startDir = m_dir.path() / "start";
    fs::create_directories(m_startDir);
    fs::current_path(m_startDir);
    m_ini = m_dir.path() / "config" / "TRELMLNK.INI";
    setenv("TRELMLINK_INI", m_ini.c_str(), 1);
    trelm::processState() = trelm::ProcessState{};
    trelm::shell::setMessageBoxFunction(
        [this](QWidget *, trelm::shell::BoxIcon, const QString &, const QString &text) { m_messages << text; });
}

void WindowTest::TearDown() {
    if (m_window)
        m_window->close();
    m_window.reset();
    trelm::shell::setMessageBoxFunction({});
    fs::current_path(m_savedDir);
}

trelm::shell::MainWindow &WindowTest::start(const std::optional<std::string> &file) {
    m_window = trelm::shell::openMainWindow(file);
    return *m_window;
}

void WindowTest::writeIni(const std::string &text) {
    fs::create_directories(m_ini.parent_path());
    testfiles::writeFile(m_ini, {text.begin(), text.end()});
}

fs::path WindowTest::writeEvent(const fs::path &path, std::int16_t modelFlag, std::int16_t config) {
    fs::create_directories(path.parent_path());
    testdata::Header header;
    header.modelFlag = modelFlag;
    testdata::writeFile(path, testdata::eventFileBytes(header, sample::event(config), sample::log()));
    return path;
}
