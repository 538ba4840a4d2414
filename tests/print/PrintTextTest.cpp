#include <gtest/gtest.h>

#include <QDate>

#include "print/PrintText.h"

namespace tolvarine {
namespace {

struct EraCase {
    const char *name;
    QDate date;
    const char16_t *text;
};

class EraDate : public ::testing::TestWithParam<EraCase> {};

TEST_P(EraDate, IsWrittenInItsEra)
{
    EXPECT_EQ(eraDateText(GetParam().date), QString::fromUtf16(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Boundaries, EraDate,
                         ::testing::Values(EraCase{"LastShowaDay", QDate(1989, 1, 7), u"昭和64年1月7日"},
                                           EraCase{"FirstHeiseiDay", QDate(1989, 1, 8), u"平成1年1月8日"},
                                           EraCase{"LastHeiseiDay", QDate(2019, 4, 30), u"平成31年4月30日"},
                                           EraCase{"FirstReiwaDay", QDate(2019, 5, 1), u"令和1年5月1日"},
                                           EraCase{"NoLeadingZeros", QDate(2009, 3, 5), u"平成21年3月5日"},
                                           EraCase{"LastTaishoDay", QDate(1926, 12, 24), u"大正15年12月24日"},
                                           EraCase{"BeforeTheTable", QDate(1868, 10, 22), u""}),
                         [](const auto &info) { return std::string(info.param.name); });

struct RequestCase {
    const char *name;
    const char16_t *number;
    const char16_t *patient;
    const char16_t *printNo;
    const char16_t *printName;
};

class RequestFromDialog : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestFromDialog, NumberAndNameLines)
{
    const RequestCase &c = GetParam();
    const PrintRequest r = makePrintRequest(QString::fromUtf16(c.number), QString::fromUtf16(c.patient),
                                            QStringLiteral(" 平成21年 "), QStringLiteral("a\nb"), true);
    EXPECT_EQ(r.strPrintNo, QString::fromUtf16(c.printNo));
    EXPECT_EQ(r.strPrintName, QString::fromUtf16(c.printName));
    // The date and the comment go as typed.
    EXPECT_EQ(r.strPrintDate, QStringLiteral(" 平成21年 "));
    EXPECT_EQ(r.strPrintComment, QStringLiteral("a\nb"));
    EXPECT_EQ(r.intPrintLarge, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RequestFromDialog,
    ::testing::Values(RequestCase{"Filled", u"00123", u"山田 花子", u"No.00123", u"山田 花子 様"},
                      RequestCase{"EmptyGivesEmptyLines", u"", u"", u"", u""},
                      RequestCase{"BlankNameStillPrints", u"123", u"　 ", u"No.123", u"　  様"}),
    [](const auto &info) { return std::string(info.param.name); });

struct PdfNameCase {
    const char *name;
    const char16_t *number; // as typed in the print dialog
    const char *visit;
    const char *file;
};

class SheetPdfName : public ::testing::TestWithParam<PdfNameCase> {};

TEST_P(SheetPdfName, NumberAndVisit)
{
    const PdfNameCase &c = GetParam();
    const PrintRequest request = makePrintRequest(QString::fromUtf16(c.number), {}, {}, {}, false);
    EXPECT_EQ(sheetPdfName(request, QString::fromLatin1(c.visit)), QString::fromLatin1(c.file));
}

INSTANTIATE_TEST_SUITE_P(
    Names, SheetPdfName,
    ::testing::Values(PdfNameCase{"Both", u"00123", "2009/03/15", "00123_2009-03-15.pdf"},
                      PdfNameCase{"NoNumber", u"", "2009/03/15", "2009-03-15.pdf"},
                      PdfNameCase{"NoDateInTheVisit", u"00123", "2009/02/30", "00123.pdf"},
                      PdfNameCase{"NeitherGivesTheProgramName", u"", "", "Tolvarine.pdf"},
                      PdfNameCase{"NoFolderOrHiddenFile", u"../12/3", "2009/03/15",
                                  "___12_3_2009-03-15.pdf"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace tolvarine
