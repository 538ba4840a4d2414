#include "maintenance/frmDate.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "maintenance/PictureChanges.h"
#include "platform/Messages.h"
#include "platform/Twips.h"

namespace tolvarine {

frmDate::frmDate(QWidget *owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("更新日付"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    const double dpi = logicalDpiX();
    auto px = [dpi](int x, int y, int w, int h) { return twipsToPixels(QRect(x, y, w, h), dpi); };
    setFixedSize(twipsToPixels(QSize(3750, 2520), dpi));

    auto box = [&](const QRect &rect) {
        auto *t = new QLineEdit(this);
        t->setGeometry(rect);
        t->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return t;
    };
    auto unit = [&](const QString &caption, const QRect &rect) {
        auto *l = new QLabel(caption, this);
        l->setGeometry(rect);
        return l;
    };
    txtYear = box(px(600, 840, 612, 264));
    lblYear = unit(QStringLiteral("年"), px(1250, 880, 252, 252));
    txtMonth = box(px(1560, 840, 492, 264));
    lblMonth = unit(QStringLiteral("月"), px(2090, 880, 252, 252));
    txtDay = box(px(2400, 840, 492, 264));
    lblDay = unit(QStringLiteral("日"), px(2930, 880, 372, 252));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(px(840, 1560, 972, 372));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCancel->setGeometry(px(2160, 1560, 972, 372));
    connect(cmdOK, &QPushButton::clicked, this, &frmDate::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDate::cmdCancel_Click);
    txtYear->setFocus();
}

void frmDate::cmdOK_Click()
{
    accepted_ = enteredDate(txtYear->text(), txtMonth->text(), txtDay->text());
    if (!accepted_) {
        showMessage(QStringLiteral("不正な日付です"));
        return;
    }
    accept();
}

void frmDate::cmdCancel_Click() { reject(); }

} // namespace tolvarine
