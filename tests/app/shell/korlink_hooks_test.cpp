// The window's pump and report box, installed in the real library when it
// is first bound: Escape cancels a library wait, timers wait for the wait
// to end, argument errors appear as message boxes.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "korlink_binder/korlink_binder.h"
#include "pty_pair.h"
#include "shell/korlink_hooks.h"
#include "shell/message_box.h"
#include "wait_until.h"

using namespace trelm;
using namespace trelm::shell;

namespace {

class HooksTest : public testing::Test {
protected:
    void SetUp() override {
        setMessageBoxFunction([this](QWidget *, BoxIcon, const QString &title, const QString &text) {
            m_boxes << title + ": " + text;
        });
        installKorlinkHooks();
        korlink::useLibrary(""); // binds afresh, so the hooks go in now
        ASSERT_TRUE(korlink::ready());
    }
    void TearDown() override {
        korlink::COMMPortsDeinitAll();
        korlink::COMMPumpHookSet(nullptr);
        korlink::COMMReportHookSet(nullptr);
        setMessageBoxFunction({});
    }
    void pressEscape(QWidget *target) {
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }

    QStringList m_boxes;
};

} // namespace

TEST_F(HooksTest, EscapeCancelsALibraryWaitAndTimersWaitForItsEnd) {
    testsupport::PtyPair pty;
    pty.exposeAs(5);
    PortHandle port = korlink::COMMWinInit(5, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512);
    ASSERT_NE(port, nullptr);
    QWidget window;
    window.show();
    // A timer due during a wait fires only after the wait.
    bool timerFired = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] { timerFired = true; });
    timer.start(1);
    EXPECT_EQ(korlink::c_waitc(port, 'x', 200), KORLINK_E_TIMEOUT);
    EXPECT_FALSE(timerFired);
    EXPECT_TRUE(testsupport::waitUntil(
        [&] {
            QCoreApplication::processEvents();
            return timerFired;
        },
        std::chrono::seconds(5)));
    // Escape ends a long wait at once.
    pressEscape(&window);
    EXPECT_EQ(korlink::c_waitc(port, 'x', 20000), KORLINK_E_CANCELLED);
    EXPECT_TRUE(m_boxes.isEmpty());
}

TEST_F(HooksTest, ThePumpReportsEscapeOnlyWhenPressed) {
    QWidget window;
    window.show();
    EXPECT_EQ(pumpMessages(), 0);
    pressEscape(&window);
    EXPECT_EQ(pumpMessages(), kEscapeKeyCode);
    EXPECT_EQ(pumpMessages(), 0);
}

TEST_F(HooksTest, ArgumentErrorsOfTheLibraryAppearAsOneBoxEach) {
    EXPECT_EQ(korlink::c_putc(nullptr, 'A'), KORLINK_E_NULL_PORT);
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_FALSE(m_boxes[0].startsWith(": ")) << m_boxes[0].toStdString(); // the library's title is kept
}

TEST_F(HooksTest, AMissingLibraryIsToldInABoxNamingIt) {
    korlink::useLibrary("/nonexistent/libkorlink.so");
    EXPECT_EQ(korlink::COMMWinInit(1, 9600, 8, KORLINK_PARITY_NONE, KORLINK_STOPBITS_ONE, 32000, 512), nullptr);
    korlink::useLibrary("");
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes[0].startsWith("Trelmlink: /nonexistent/libkorlink.so")) << m_boxes[0].toStdString();
}
