// The About box, the print progress window and the message window.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "shell/about_dialog.h"
#include "shell/message_box.h"
#include "shell/msg_form.h"
#include "shell/printing_dialog.h"

using namespace trelm::shell;

TEST(AboutBox, ShowsTheVersionAndSaysSystemInformationIsUnavailable) {
    QStringList boxes;
    setMessageBoxFunction([&](QWidget *, BoxIcon, const QString &title, const QString &text) {
        boxes << title + ": " + text;
    });
    AboutDialog about;
    about.show();
    EXPECT_EQ(about.windowTitle(), "About Trelmlink");
    EXPECT_EQ(about.findChild<QLabel *>("lblTitle")->text(), "Trelmlink");
    EXPECT_EQ(about.findChild<QLabel *>("lblVersion")->text(),
              QString("Version %1.%2.%3").arg(TRELMLINK_VERSION_MAJOR).arg(TRELMLINK_VERSION_MINOR).arg(TRELMLINK_VERSION_PATCH));
    about.findChild<QPushButton *>("cmdSysInfo")->click();
    EXPECT_EQ(boxes, QStringList{"Trelmlink: System Information Is Unavailable At This Time"});
    EXPECT_TRUE(about.isVisible());
    about.findChild<QPushButton *>("cmdOK")->click();
    EXPECT_FALSE(about.isVisible());
    setMessageBoxFunction({});
}

TEST(PrintingWindow, StartsWithItsTextAndCancelAsksToAbort) {
    PrintingDialog printing;
    EXPECT_EQ(printing.labelText(), "Printing Report...");
    EXPECT_FALSE(printing.isModal());
    int cancels = 0;
    QObject::connect(&printing, &PrintingDialog::cancelRequested, [&] { ++cancels; });
    printing.setReportName("Event Summary");
    printing.findChild<QPushButton *>("Command1")->click();
    EXPECT_EQ(printing.labelText(), "Event Summary");
    EXPECT_EQ(cancels, 1);
}

TEST(MessageWindow, ASecondShowReplacesTheTextAndHideDestroysIt) {
    MsgForm form;
    form.ShowMessage("Filling Grids...");
    QWidget *first = form.window();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    form.ShowMessage("Exporting data...");
    EXPECT_EQ(form.window(), first);
    EXPECT_EQ(first->findChild<QLabel *>("MsgLabel")->text(), "Exporting data...");
    form.HideMessage();
    EXPECT_EQ(form.window(), nullptr);
    form.ShowMessage("Filling Grids...");
    EXPECT_EQ(form.window()->findChild<QLabel *>("MsgLabel")->text(), "Filling Grids...");
    form.HideMessage();
}
