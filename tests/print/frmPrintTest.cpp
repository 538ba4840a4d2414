#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "platform/Twips.h"
#include "print/PrintText.h"
#include "print/frmPrint.h"

namespace tolvarine {
namespace {

class PrintDialog : public ::testing::Test {
protected:
    std::unique_ptr<frmPrint> open(const QString &number = QStringLiteral("123"),
                                   const QString &name = QStringLiteral("山田 花子"))
    {
        return std::make_unique<frmPrint>(
            nullptr, number, name, request, [this] { calls << "normal"; }, [this] { calls << "large"; });
    }
    static QRect twips(const QWidget *w, int x, int y, int width, int height)
    {
        return twipsToPixels(QRect(x, y, width, height), w->logicalDpiX());
    }

    PrintRequest request{QStringLiteral("No.9"), QStringLiteral("前 様"), QStringLiteral("前"),
                         QStringLiteral("前"), 1};
    QStringList calls;
};

TEST_F(PrintDialog, LoadsWithItsControlsInPlace)
{
    const auto d = open();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("印刷"));
    EXPECT_EQ(d->size(), twipsToPixels(QSize(7530, 3795), d->logicalDpiX()));
    const std::vector<std::pair<QWidget *, QRect>> places{
        {d->lblKrNo, twips(d.get(), 120, 280, 852, 252)},
        {d->txtKrNo, twips(d.get(), 1080, 240, 1092, 264)},
        {d->txtKrName, twips(d.get(), 2640, 240, 2052, 264)},
        {d->lblKrName, twips(d.get(), 4800, 280, 492, 252)},
        {d->txtDate, twips(d.get(), 5520, 240, 1692, 264)},
        {d->lblComent, twips(d.get(), 240, 696, 3852, 252)},
        {d->txtSetumei, twips(d.get(), 120, 960, 7332, 2052)},
        {d->cmdOK, twips(d.get(), 5640, 3240, 1092, 372)},
        {d->chePrintLarge, twips(d.get(), 600, 3240, 2652, 372)}};
    for (const auto &[widget, rect] : places)
        EXPECT_EQ(widget->geometry(), rect) << widget->metaObject()->className();
    EXPECT_EQ(d->lblKrNo->text(), QStringLiteral("患者番号"));
    EXPECT_EQ(d->lblComent->text(), QStringLiteral("コメント"));
    EXPECT_EQ(d->chePrintLarge->text(), QStringLiteral("大きく印刷する"));

    EXPECT_EQ(d->txtKrNo->text(), QStringLiteral("123"));
    EXPECT_EQ(d->txtKrName->text(), QStringLiteral("山田 花子"));
    EXPECT_EQ(d->txtDate->text(), eraDateText(QDate::currentDate()));
    EXPECT_TRUE(d->txtSetumei->toPlainText().isEmpty());
    EXPECT_FALSE(d->chePrintLarge->isChecked());
    EXPECT_FALSE(d->cmdPreview->isVisibleTo(d.get())); // only offered with a preview
    EXPECT_FALSE(d->txtKrNo->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(d->txtKrName->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(d->txtSetumei->testAttribute(Qt::WA_InputMethodEnabled));

    // Tab goes number, name, date, comment, OK, large box.
    std::vector<QWidget *> order;
    QWidget *w = d->txtKrNo;
    do {
        if (w->focusPolicy() & Qt::TabFocus && w->isVisibleTo(d.get()))
            order.push_back(w);
        w = w->nextInFocusChain();
    } while (w != d->txtKrNo);
    const std::vector<QWidget *> expected{d->txtKrNo,    d->txtKrName, d->txtDate,
                                          d->txtSetumei, d->cmdOK,     d->chePrintLarge};
    EXPECT_EQ(order, expected);
}

TEST_F(PrintDialog, LargeBoxNarrowsTheCommentAndUncheckingRestoresIt)
{
    const auto d = open();
    const int narrow = twips(d.get(), 0, 0, 3000, 1).width();
    const int wide = twips(d.get(), 0, 0, 7332, 1).width();
    for (bool checked : {true, false, true, true}) {
        d->chePrintLarge->setChecked(checked);
        EXPECT_EQ(d->txtSetumei->width(), checked ? narrow : wide);
    }
    d->chePrintLarge->click();
    EXPECT_EQ(d->txtSetumei->width(), wide);
    EXPECT_EQ(d->txtSetumei->geometry().topLeft(), twips(d.get(), 120, 960, 1, 1).topLeft());
}

struct OkCase {
    const char *name;
    const char *number;
    const char *patient;
    bool large;
    const char *call;
};

class PrintDialogOk : public PrintDialog, public ::testing::WithParamInterface<OkCase> {};

TEST_P(PrintDialogOk, FillsTheRequestPrintsOnceAndCloses)
{
    const OkCase &c = GetParam();
    const auto d = open(QString::fromUtf8(c.number), QString::fromUtf8(c.patient));
    d->txtDate->setText(QStringLiteral("令和1年5月1日"));
    d->txtSetumei->setPlainText(QStringLiteral("一行目\n二行目"));
    d->chePrintLarge->setChecked(c.large);
    d->show();
    QSignalSpy finished(d.get(), &QDialog::finished);
    d->cmdOK->click();
    EXPECT_EQ(calls, QStringList{QString::fromLatin1(c.call)});
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(request.strPrintNo,
              makePrintRequest(QString::fromUtf8(c.number), {}, {}, {}, false).strPrintNo);
    EXPECT_EQ(request.strPrintName,
              makePrintRequest({}, QString::fromUtf8(c.patient), {}, {}, false).strPrintName);
    EXPECT_EQ(request.strPrintDate, QStringLiteral("令和1年5月1日"));
    EXPECT_EQ(request.strPrintComment, QStringLiteral("一行目\n二行目"));
    EXPECT_EQ(request.intPrintLarge, c.large ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Requests, PrintDialogOk,
                         ::testing::Values(OkCase{"Normal", "00123", "山田", false, "normal"},
                                           OkCase{"Large", "00123", "山田", true, "large"},
                                           OkCase{"EmptyNumberAndName", "", "", false, "normal"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PrintDialog, CloseBoxPrintsNothingAndKeepsThePreviousRequest)
{
    const PrintRequest before = request;
    const auto d = open();
    d->txtSetumei->setPlainText(QStringLiteral("捨てる"));
    d->show();
    d->close();
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(request.strPrintNo, before.strPrintNo);
    EXPECT_EQ(request.strPrintName, before.strPrintName);
    EXPECT_EQ(request.strPrintComment, before.strPrintComment);
    EXPECT_EQ(request.intPrintLarge, before.intPrintLarge);
}

TEST_F(PrintDialog, PreviewShowsTheTextsAsTheyStandWithoutTouchingTheRequest)
{
    const PrintRequest before = request;
    const auto d = open();
    std::vector<PrintRequest> previews;
    d->setPreview([&previews](const PrintRequest &r) { previews.push_back(r); });
    EXPECT_TRUE(d->cmdPreview->isVisibleTo(d.get()));
    EXPECT_EQ(d->cmdPreview->text(), QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"));
    d->chePrintLarge->setChecked(true);
    d->cmdPreview->click();
    ASSERT_EQ(previews.size(), 1u);
    EXPECT_EQ(previews[0].strPrintNo, QStringLiteral("No.123"));
    EXPECT_EQ(previews[0].intPrintLarge, 1);
    EXPECT_EQ(request.strPrintNo, before.strPrintNo);
    EXPECT_TRUE(calls.isEmpty());
}

} // namespace
} // namespace tolvarine
