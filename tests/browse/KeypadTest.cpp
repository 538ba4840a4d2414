#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "BrowseWindowFixture.h"
#include "browse/BrowseController.h"
#include "browse/frmKrNo.h"
#include "platform/Twips.h"
#include "widgets/FolderList.h"

namespace tolvarine {
namespace {

class Keypad : public test::BrowseWindow {
protected:
    static void press(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(Keypad, HasItsCaptionsAndShowsEveryTextWhole)
{
    const auto w = loadWindow();
    frmKrNo keypad(w->browse().keypadParts());
    EXPECT_EQ(keypad.windowTitle(), QStringLiteral("患者Ｎｏ"));
    EXPECT_TRUE(keypad.txtKrNoInput->text().isEmpty());
    const QString captions[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    std::vector<QPushButton *> buttons;
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(keypad.cmdNo[size_t(i)]->text(), captions[i]);
        buttons.push_back(keypad.cmdNo[size_t(i)]);
    }
    EXPECT_EQ(keypad.cmdBS->text(), QStringLiteral("BS"));
    EXPECT_EQ(keypad.cmdEnter->text(), QStringLiteral("Enter"));
    buttons.push_back(keypad.cmdBS);
    buttons.push_back(keypad.cmdEnter);
    const QRect inside = keypad.rect();
    for (QPushButton *b : buttons) {
        EXPECT_TRUE(inside.contains(b->geometry())) << b->text().toStdString();
        EXPECT_LT(b->fontMetrics().horizontalAdvance(b->text()), b->width() - 8) << b->text().toStdString();
        for (QPushButton *other : buttons)
            EXPECT_TRUE(b == other || !b->geometry().intersects(other->geometry()))
                << b->text().toStdString();
    }
    EXPECT_TRUE(inside.contains(keypad.txtKrNoInput->geometry()));
    // Digits in the order of a keypad: 7 8 9 on top, 0 beside BS and Enter at the bottom.
    EXPECT_LT(keypad.cmdNo[7]->y(), keypad.cmdNo[4]->y());
    EXPECT_LT(keypad.cmdNo[4]->y(), keypad.cmdNo[1]->y());
    EXPECT_EQ(keypad.cmdNo[0]->y(), keypad.cmdEnter->y());
}

TEST_F(Keypad, ZeroZeroSevenEnterListsPatientSevenAndCloses)
{
    const QString folder = patient("00007");
    picture(folder, "a.jpg", QDate(2010, 6, 7));
    const auto w = loadWindow();
    frmKrNo keypad(w->browse().keypadParts());
    keypad.show();
    press(keypad.cmdNo[0]);
    press(keypad.cmdNo[0]);
    press(keypad.cmdNo[7]);
    EXPECT_EQ(keypad.txtKrNoInput->text(), QStringLiteral("007"));
    press(keypad.cmdEnter);
    EXPECT_EQ(w->Dir1->path(), folder);
    EXPECT_EQ(w->txtKrNo->text(), QStringLiteral("00007"));
    EXPECT_EQ(entries(w->List1), QStringList{"2010/06/07"});
    EXPECT_FALSE(keypad.isVisible());
    EXPECT_EQ(keypad.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(Keypad, EnterClosesWhateverTheOutcome)
{
    const auto w = loadWindow();
    frmKrNo keypad(w->browse().keypadParts());
    keypad.show();
    for (int i = 0; i < 6; ++i)
        press(keypad.cmdNo[1]);
    press(keypad.cmdEnter);
    EXPECT_EQ(messages.texts(), QStringList{"患者番号が不正です"});
    EXPECT_EQ(w->txtKrNo->text(), QStringLiteral("111111"));
    EXPECT_FALSE(keypad.isVisible());
}

TEST_F(Keypad, BackSpaceRemovesTheLastDigitAndEmptiesAShortInput)
{
    const auto w = loadWindow();
    frmKrNo keypad(w->browse().keypadParts());
    struct Case {
        const char *before;
        const char *after;
    };
    for (const Case c : {Case{"123", "12"}, Case{"12", "1"}, Case{"7", ""}, Case{"", ""}}) {
        keypad.txtKrNoInput->setText(QString::fromLatin1(c.before));
        press(keypad.cmdBS);
        EXPECT_EQ(keypad.txtKrNoInput->text(), QString::fromLatin1(c.after)) << c.before;
    }
}

TEST_F(Keypad, OpensAtItsStoredPlaceAndKeepsItWhenClosed)
{
    setSetting(QStringLiteral("KrNoLeft"), QStringLiteral("3000"));
    setSetting(QStringLiteral("KrNoTop"), QStringLiteral("2400"));
    const auto w = loadWindow();
    {
        frmKrNo keypad(w->browse().keypadParts());
        const double dpi = keypad.logicalDpiX();
        EXPECT_EQ(keypad.pos(), QPoint(twipsToPixels(3000, dpi), twipsToPixels(2400, dpi)));
        keypad.show();
        keypad.reject(); // closed without Enter: the place is kept all the same
    }
    store->sync();
    store->beginGroup(settingsSection());
    EXPECT_EQ(store->value(QStringLiteral("KrNoLeft")).toString(), QStringLiteral("3000"));
    EXPECT_EQ(store->value(QStringLiteral("KrNoTop")).toString(), QStringLiteral("2400"));
    store->endGroup();

    frmKrNo moved(w->browse().keypadParts());
    const double dpi = moved.logicalDpiX();
    moved.move(twipsToPixels(1500, dpi), twipsToPixels(900, dpi));
    moved.show();
    moved.reject();
    EXPECT_EQ(readWindowPosition(*store, kKrNoPosition), QPointF(1500, 900));
}

TEST_F(Keypad, TheNumberButtonOpensItModally)
{
    const QString folder = patient("00123");
    picture(folder, "a.jpg", QDate(2009, 3, 15));
    const auto w = loadWindow();
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        auto *keypad = qobject_cast<frmKrNo *>(QApplication::activeModalWidget());
        ASSERT_NE(keypad, nullptr);
        wasModal = keypad->isModal() && keypad->parentWidget() == w.get();
        for (int digit : {1, 2, 3})
            QTest::mouseClick(keypad->cmdNo[size_t(digit)], Qt::LeftButton);
        QTest::mouseClick(keypad->cmdEnter, Qt::LeftButton);
    });
    QTest::mouseClick(w->cmdKrNo, Qt::LeftButton);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(w->Dir1->path(), folder);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
} // namespace tolvarine
