#include <functional>

#include <QCoreApplication>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include "print/frmPrint.h"
#include "settings/SharedState.h"
#include "support/TestSupport.h"

namespace tolvarine {
namespace {

// What the desktop's input method is told when a box takes the focus: whether it
// takes composed text. Japanese goes into names, dates and comments; the patient
// number is typed as plain digits.
struct Box {
    const char *label;
    std::function<QWidget *(frmPrint &)> box;
    bool takesComposedText;
};

class PrintDialogInputMethod : public ::testing::TestWithParam<Box> {};

TEST_P(PrintDialogInputMethod, IsOnOnlyWhereJapaneseIsTyped)
{
    PrintRequest request;
    frmPrint dialog(
        nullptr, QStringLiteral("00123"), QStringLiteral("山田"), request, [] {}, [] {});
    QWidget *box = GetParam().box(dialog);
    QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImHints);
    QCoreApplication::sendEvent(box, &query);
    EXPECT_EQ(query.value(Qt::ImEnabled).toBool(), GetParam().takesComposedText);
    EXPECT_TRUE(query.value(Qt::ImHints).isValid()); // the box's other answers are kept
}

INSTANTIATE_TEST_SUITE_P(Desktop, PrintDialogInputMethod,
                         ::testing::Values(Box{"patient number", [](frmPrint &d) { return d.txtKrNo; },
                                               false},
                                           Box{"name", [](frmPrint &d) { return d.txtKrName; }, true},
                                           Box{"date", [](frmPrint &d) { return d.txtDate; }, true},
                                           Box{"comment", [](frmPrint &d) { return d.txtSetumei; }, true}),
                         test::namedBy([](const Box &b) { return b.label; }));

} // namespace
} // namespace tolvarine
