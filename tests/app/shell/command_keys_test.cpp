// The window's commands from the keyboard: Enter presses the focused
// button, each Ctrl key runs its command (and nothing while the command is
// disabled), and each button's tooltip names its key.
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "case_name.h"
#include "settings/process_state.h"
#include "window_fixture.h"

namespace {

struct KeyCase {
    const char *name;
    const char *button;
    Qt::Key key;
    const char *tooltip;
};

void PrintTo(const KeyCase &c, std::ostream *out) { *out << c.name; }

class CommandKey : public WindowTest, public testing::WithParamInterface<KeyCase> {};

} // namespace

TEST_P(CommandKey, RunsItsCommandAndIsNamedInTheTooltip) {
    const KeyCase &c = GetParam();
    writeIni("[PORT]\nCOMM= 1\n");
    const std::filesystem::path event = writeEvent(m_startDir / "E.bin", 1, 4);
    start(event.string());
    QPushButton *button = find<QPushButton>(c.button);
    EXPECT_EQ(button->toolTip(), c.tooltip);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    // Nothing may really run: each command's own effect is another test's.
    button->disconnect(m_window.get());
    QApplication::setActiveWindow(m_window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window.get(), c.key, Qt::ControlModifier);
    EXPECT_EQ(clicks, 1);
    button->setEnabled(false);
    QTest::keyClick(m_window.get(), c.key, Qt::ControlModifier);
    EXPECT_EQ(clicks, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandKey,
    testing::Values(KeyCase{"Open", "Command4", Qt::Key_O, "Open File (BIN) (Ctrl+O); right-click: the files opened last"},
                    KeyCase{"Export", "cmdNewFile", Qt::Key_E, "Export File (Ctrl+E)"},
                    KeyCase{"Print", "CmdPrint", Qt::Key_P, "Print Report (Ctrl+P)"},
                    KeyCase{"Retrieve", "cmdRetrieve", Qt::Key_R, "Retrieve Data (Ctrl+R)"},
                    KeyCase{"Exit", "cmdExit", Qt::Key_Q, "Exit (Ctrl+Q)"}),
    testsupport::CaseName());

TEST_F(WindowTest, EnterPressesTheFocusedButtonAndTheCaptionsKeepTheirAltKeys) {
    writeIni("[PORT]\nCOMM= 1\n");
    start();
    QPushButton *about = find<QPushButton>("Command3");
    int clicks = 0;
    QObject::connect(about, &QPushButton::clicked, [&clicks] { ++clicks; });
    about->disconnect(m_window.get());
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(about, key);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(find<QPushButton>("cmdNewFile")->text(), "&Export File");
    EXPECT_EQ(find<QPushButton>("cmdExit")->text(), "&Exit");
}
