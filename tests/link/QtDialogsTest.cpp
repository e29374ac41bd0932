// The Qt message box behind the Dialogs seam, answered by a "user" who acts
// as soon as the box is up.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "platform/QtDialogs.h"
#include "support/OffscreenApp.h"

namespace {

// Shows the request and lets `act` handle the box once it is open.
MsgAnswer ask(const MessageRequest& request, std::function<void(QMessageBox&)> act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(*box);
    });
    QtDialogs dialogs;
    return dialogs.message(request);
}

}  // namespace

TEST(QtDialogs, MessageBoxShowsTheRequestAndReturnsTheButtonPressed) {
    const MessageRequest warning{"Warning: this software is not for the ARBORD module.", "VX7318 Evaluation Kit",
                                 MsgButtons::OkCancel, MsgIcon::Stop, MsgAnswer::Cancel};
    const MsgAnswer pressedDefault = ask(warning, [](QMessageBox& box) {
        EXPECT_EQ(box.text().toStdString(), "Warning: this software is not for the ARBORD module.");
        EXPECT_EQ(box.windowTitle(), "VX7318 Evaluation Kit");
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
        ASSERT_NE(box.defaultButton(), nullptr);
        box.defaultButton()->click();
    });
    EXPECT_EQ(pressedDefault, MsgAnswer::Cancel);

    EXPECT_EQ(ask(warning, [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); }), MsgAnswer::Ok);

    // Closed without a button: the box's escape answer.
    const MessageRequest question{"Ignore?", "VX7318 Evaluation Kit", MsgButtons::YesNo, MsgIcon::Stop, MsgAnswer::Yes};
    EXPECT_EQ(ask(question, [](QMessageBox& box) { box.reject(); }), MsgAnswer::No);
    EXPECT_EQ(ask(question, [](QMessageBox& box) { box.defaultButton()->click(); }), MsgAnswer::Yes);
}
