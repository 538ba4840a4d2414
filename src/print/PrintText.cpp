#include "print/PrintText.h"

#include <array>

#include <QStringList>

#include "platform/Messages.h"
#include "store/StoreNames.h"

namespace tolvarine {

namespace {

struct Era {
    QDate first; // the era's first day
    const char16_t *name;
};

// Newest first, so that the first era begun on or before a date is its era.
const std::array<Era, 5> kEras{{
    {QDate(2019, 5, 1), u"令和"},
    {QDate(1989, 1, 8), u"平成"},
    {QDate(1926, 12, 25), u"昭和"},
    {QDate(1912, 7, 30), u"大正"},
    {QDate(1868, 10, 23), u"明治"},
}};

const QString kNumberPrefix = QStringLiteral("No.");

} // namespace

QString eraDateText(const QDate &date)
{
    if (!date.isValid())
        return {};
    for (const Era &era : kEras) {
        if (date < era.first)
            continue;
        const int year = date.year() - era.first.year() + 1;
        return QStringLiteral("%1%2年%3月%4日")
            .arg(QString::fromUtf16(era.name))
            .arg(year)
            .arg(date.month())
            .arg(date.day());
    }
    return {};
}

PrintRequest makePrintRequest(const QString &number, const QString &name, const QString &date,
                              const QString &comment, bool large)
{
    PrintRequest request;
    request.strPrintNo = number.isEmpty() ? QString() : kNumberPrefix + number;
    request.strPrintName = name.isEmpty() ? QString() : name + QStringLiteral(" 様");
    request.strPrintDate = date;
    request.strPrintComment = comment;
    request.intPrintLarge = large ? 1 : 0;
    return request;
}

QString sheetPdfName(const PrintRequest &request, const QString &visitDate)
{
    QString number = request.strPrintNo.startsWith(kNumberPrefix)
                         ? request.strPrintNo.mid(kNumberPrefix.size())
                         : request.strPrintNo;
    for (QChar &c : number)
        if (!c.isLetterOrNumber() && c != u'-' && c != u'_')
            c = u'_';
    QStringList parts;
    if (!number.isEmpty())
        parts << number;
    if (const std::optional<QDate> date = parseVisitDate(visitDate))
        parts << date->toString(QStringLiteral("yyyy-MM-dd"));
    if (parts.isEmpty())
        parts << applicationTitle();
    return parts.join(u'_') + QStringLiteral(".pdf");
}

} // namespace tolvarine
