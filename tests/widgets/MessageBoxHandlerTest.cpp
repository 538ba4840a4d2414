#include <optional>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "widgets/MessageBoxHandler.h"

using namespace tolvarine;

namespace {

struct BoxSeen {
    QString text;
    QString title;
    QStringList buttons;
    QString defaultButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

} // namespace

TEST(MessageBoxHandler, ShowsTheRequestAndReturnsTheButtonPressed)
{
    MessageHandler previous = setMessageHandler(showMessageBox);
    std::optional<BoxSeen> observed;
    QTimer::singleShot(0, [&observed] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        BoxSeen s;
        s.text = box->text();
        s.title = box->windowTitle();
        s.icon = box->icon();
        s.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        for (QAbstractButton *b : box->buttons()) {
            s.buttons << b->text();
            if (b->text() == QStringLiteral("いいえ(&N)"))
                QTimer::singleShot(0, b, &QAbstractButton::click);
        }
        observed = s;
    });
    const MessageAnswer answer = showMessage(QStringLiteral("削除しますか"), QString(), MessageButtons::YesNo,
                                             MessageIcon::Question, MessageAnswer::Yes);
    setMessageHandler(std::move(previous));

    EXPECT_EQ(answer, MessageAnswer::No);
    ASSERT_TRUE(observed.has_value());
    EXPECT_EQ(observed->text, "削除しますか");
    EXPECT_EQ(observed->title, "Tolvarine");
    EXPECT_EQ(observed->icon, QMessageBox::Question);
    EXPECT_EQ(observed->defaultButton, "はい(&Y)");
    EXPECT_EQ(observed->buttons.size(), 2);
    EXPECT_TRUE(observed->buttons.contains(QStringLiteral("はい(&Y)")));
    EXPECT_TRUE(observed->buttons.contains(QStringLiteral("いいえ(&N)")));
}

TEST(MessageBoxHandler, ClosingTheBoxAnswersLikeEscape)
{
    struct Case {
        MessageButtons buttons;
        MessageAnswer answer;
    };
    for (const Case c :
         {Case{MessageButtons::Ok, MessageAnswer::Ok}, Case{MessageButtons::OkCancel, MessageAnswer::Cancel},
          Case{MessageButtons::YesNo, MessageAnswer::No},
          Case{MessageButtons::YesNoCancel, MessageAnswer::Cancel}})
        EXPECT_EQ(answerOf(QMessageBox::NoButton, c.buttons), c.answer);
}

TEST(MessageBoxHandler, ButtonsAndIconsMapOneToOne)
{
    EXPECT_EQ(standardButtons(MessageButtons::Ok), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(standardButtons(MessageButtons::OkCancel), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(standardButtons(MessageButtons::YesNoCancel),
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    for (MessageAnswer a : {MessageAnswer::Ok, MessageAnswer::Cancel, MessageAnswer::Yes, MessageAnswer::No})
        EXPECT_EQ(answerOf(standardButton(a), MessageButtons::YesNoCancel), a);
    EXPECT_EQ(messageBoxIcon(MessageIcon::Critical), QMessageBox::Critical);
    EXPECT_EQ(messageBoxIcon(MessageIcon::None), QMessageBox::NoIcon);
}
